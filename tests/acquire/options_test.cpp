// The command line of acquire and the names of its output files.
#include "tools/acquire/options.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

bool Parse(std::vector<const char*> arguments, Options* options, std::string* error) {
  arguments.insert(arguments.begin(), "acquire");
  return ParseOptions(int(arguments.size()), arguments.data(), options, error);
}

TEST(OptionsTest, ReadsEveryOptionInBothSpellings) {
  Options options;
  std::string error;
  ASSERT_TRUE(
      Parse({"-d", "2", "--mode=memory", "-c", "-1", "--limit", "4", "-o", "out-%d.png", "--set",
             "ICAP_PIXELTYPE=rgb", "--set=cap_xfercount=3", "--buffer=4096", "--timeout", "2.5"},
            &options, &error))
      << error;
  EXPECT_EQ(options.source, "2");
  EXPECT_EQ(options.mode, TransferMode::Memory);
  EXPECT_TRUE(options.countGiven);
  EXPECT_EQ(options.count, -1);
  EXPECT_EQ(options.limit, 4);
  EXPECT_EQ(options.output, "out-%d.png");
  ASSERT_EQ(options.sets.size(), 2u);
  EXPECT_EQ(options.sets[0].capability, ICAP_PIXELTYPE);
  EXPECT_EQ(options.sets[0].value, "rgb");
  EXPECT_EQ(options.sets[1].capability, CAP_XFERCOUNT);
  EXPECT_EQ(options.bufferSize, 4096u);
  EXPECT_DOUBLE_EQ(options.timeoutSeconds, 2.5);

  ASSERT_TRUE(Parse({"--get", "ICAP_XFERMECH", "--get", "0x0101", "-L"}, &options, &error));
  EXPECT_EQ(options.gets, (std::vector<TW_UINT16>{ICAP_XFERMECH, ICAP_PIXELTYPE}));
  EXPECT_TRUE(options.list);
  EXPECT_EQ(options.mode, TransferMode::SourceCurrent) << "each parse starts afresh";
}

TEST(OptionsTest, RefusesWrongCommandLinesWithAReason) {
  const std::vector<std::vector<const char*>> wrong = {
      {"--mode", "fax"},   {"--count", "0"},
      {"--count", "-1"},   {"--count", "40000"},
      {"--limit", "0"},    {"--set", "ICAP_PIXELTYPE"},
      {"--set", "NOPE=1"}, {"--get", "ICAP_NOTHING"},
      {"--buffer", "-5"},  {"--timeout", "0"},
      {"--output"},        {"--list=yes"},
      {"extra"},           {"-x"},
  };
  for (const auto& arguments : wrong) {
    Options options;
    std::string error;
    EXPECT_FALSE(Parse(arguments, &options, &error)) << arguments[0];
    EXPECT_FALSE(error.empty()) << arguments[0];
  }
}

TEST(OptionsTest, NamesTheOutputFilesOfOneOrSeveralImages) {
  struct Case {
    const char* pattern;
    unsigned number;
    bool several;
    const char* expected;
  };
  const Case cases[] = {
      {"", 1, false, "image-1.png"},
      {"", 3, true, "image-3.png"},
      {"scan-%d-of-%d.png", 2, true, "scan-2-of-2.png"},
      {"frame.png", 1, false, "frame.png"},
      {"frame.png", 2, true, "frame-2.png"},
      {"out/frame", 2, true, "out/frame-2"},
      {"out.d/frame", 2, true, "out.d/frame-2"},
      {".hidden", 2, true, ".hidden-2"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(OutputFileName(c.pattern, c.number, c.several, "png"), c.expected) << c.pattern;
}

TEST(OptionsTest, HelpNamesEveryOption) {
  for (const char* option : {"--list", "--source", "--mode", "--count", "--limit", "--output",
                             "--set", "--get", "--buffer", "--timeout", "--help", "TWAIN_DS_DIR"})
    EXPECT_NE(std::string(HelpText()).find(option), std::string::npos) << option;
}

}  // namespace
