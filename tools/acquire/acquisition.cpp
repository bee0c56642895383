// The run of acquire, step by step as a TWAIN application makes it: open the
// Source Manager, choose and open a source, negotiate the capabilities,
// enable the source and wait for MSG_XFERREADY, then for each image
// DAT_IMAGEINFO, the transfer and DAT_PENDINGXFERS / MSG_ENDXFER.
#include "tools/acquire/acquisition.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/acquire/bmp_writer.h"
#include "tools/acquire/png_writer.h"
#include "tools/acquire/strip_image.h"
#include "tools/acquire/tiff_reader.h"
#include "tools/acquire/twain_names.h"
#include "tools/acquire/twain_session.h"

namespace {

using Clock = std::chrono::steady_clock;

// The largest image a memory transfer assembles: far beyond any frame, and
// short of what a bogus announced geometry would make the program allocate.
constexpr uint64_t MAX_MEMORY_IMAGE_BYTES = uint64_t(1) << 30;

// What one image came to.
struct ImageResult {
  std::string file;
  unsigned long long bytes = 0;  // delivered by the source
  unsigned strips = 0;           // memory transfer
};

void Step(const std::string& text) {
  std::printf("%s\n", text.c_str());
  std::fflush(stdout);
}

bool Fail(const std::string& text) {
  std::fprintf(stderr, "acquire: %s\n", text.c_str());
  return false;
}

std::string Describe(const TW_IDENTITY& identity) {
  char text[256];
  std::snprintf(text, sizeof text,
                "\"%.33s\" by %.33s (%.33s), version %u.%u (%.33s), protocol %u.%u",
                identity.ProductName, identity.Manufacturer, identity.ProductFamily,
                identity.Version.MajorNum, identity.Version.MinorNum, identity.Version.Info,
                identity.ProtocolMajor, identity.ProtocolMinor);
  return text;
}

bool ChooseSource(const std::vector<TW_IDENTITY>& sources, const std::string& wanted,
                  TW_IDENTITY* choice) {
  if (sources.empty()) return Fail("no data source found (see --list and TWAIN_DS_DIR)");
  if (wanted.empty()) {
    if (sources.size() == 1) {
      *choice = sources[0];
      return true;
    }
    return Fail(std::to_string(sources.size()) +
                " data sources found: choose one with --source (see --list)");
  }
  for (const TW_IDENTITY& source : sources) {
    if (std::strncmp(source.ProductName, wanted.c_str(), sizeof source.ProductName) == 0) {
      *choice = source;
      return true;
    }
  }
  char* end = nullptr;
  unsigned long number = std::strtoul(wanted.c_str(), &end, 10);
  if (*end == '\0' && number >= 1 && number <= sources.size()) {
    *choice = sources[number - 1];
    return true;
  }
  return Fail("no data source \"" + wanted + "\" (see --list)");
}

bool CurrentValue(TwainSession& session, TW_UINT16 capability, long* value) {
  CapabilityContainer container;
  ContainerItem item;
  if (!session.GetCapability(capability, MSG_GET, &container)) return false;
  if (!CurrentItem(container, &item))
    return Fail(std::string(CapabilityName(capability)) + " has no current value");
  *value = SignedItem(container.itemType, item.raw);
  return true;
}

const char* MechanismName(long mechanism) {
  switch (mechanism) {
    case TWSX_NATIVE:
      return "native";
    case TWSX_MEMORY:
      return "memory";
    case TWSX_FILE:
      return "file";
    default:
      return nullptr;
  }
}

const char* MechanismExtension(long mechanism) {
  return mechanism == TWSX_NATIVE ? "bmp" : mechanism == TWSX_MEMORY ? "png" : "tif";
}

bool Negotiate(TwainSession& session, const Options& options) {
  static const char* const MODE_VALUES[] = {nullptr, "TWSX_NATIVE", "TWSX_MEMORY", "TWSX_FILE"};
  if (options.mode != TransferMode::SourceCurrent &&
      !session.SetCapability(ICAP_XFERMECH, MODE_VALUES[int(options.mode)]))
    return false;
  if (options.countGiven && !session.SetCapability(CAP_XFERCOUNT, std::to_string(options.count)))
    return false;
  for (const CapabilityAssignment& assignment : options.sets)
    if (!session.SetCapability(assignment.capability, assignment.value)) return false;
  return true;
}

bool ReportCapabilities(TwainSession& session, const Options& options) {
  for (TW_UINT16 capability : options.gets) {
    CapabilityContainer container;
    if (!session.GetCapability(capability, MSG_GET, &container)) return false;
    const char* name = CapabilityName(capability);
    std::printf("%s: %s\n", name ? name : std::to_string(capability).c_str(),
                DescribeContainer(capability, container).c_str());
  }
  std::fflush(stdout);
  return true;
}

// DG_IMAGE / DAT_IMAGENATIVEXFER: the DIB in global memory, written as .bmp.
bool TransferNative(TwainSession& session, const std::string& file, ImageResult* result) {
  TW_HANDLE handle = nullptr;
  TW_UINT16 answer = session.ToSource(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle);
  if (answer != TWRC_XFERDONE) {
    session.ReportSourceFailure("DAT_IMAGENATIVEXFER", answer);
    return false;
  }
  session.SetTransferDone();
  const unsigned char* dib =
      handle ? static_cast<const unsigned char*>(GlobalLock(handle)) : nullptr;
  if (dib == nullptr) return Fail("the source handed over no usable image handle");
  size_t size = GlobalSize(handle);
  DibGeometry geometry;
  std::string error;
  bool written = WriteBmpFromDib(file, dib, size, &geometry, &error);
  GlobalUnlock(handle);
  GlobalFree(handle);
  if (!written) return Fail("native image: " + error);
  Step("  bitmap of " + std::to_string(size) + " bytes, " + std::to_string(geometry.bitCount) +
       " bits per pixel, " + (geometry.topDown ? "top-down" : "bottom-up") + " rows; wrote " +
       file);
  result->bytes = size;
  return true;
}

// DG_IMAGE / DAT_IMAGEMEMXFER: strips into the application's buffer, the
// image assembled and written as PNG.
bool TransferMemory(TwainSession& session, const Options& options, const TW_IMAGEINFO& info,
                    const std::string& file, ImageResult* result) {
  TW_SETUPMEMXFER setup{};
  if (!session.Control(DAT_SETUPMEMXFER, MSG_GET, &setup, "DAT_SETUPMEMXFER")) return false;
  TW_UINT32 size = options.bufferSize ? TW_UINT32(options.bufferSize) : setup.Preferred;
  if (size == 0 || size == 0xFFFFFFFFu) size = setup.MaxBufSize ? setup.MaxBufSize : 65536;
  if (size < setup.MinBufSize) size = setup.MinBufSize;
  if (setup.MaxBufSize != 0 && setup.MaxBufSize != 0xFFFFFFFFu && size > setup.MaxBufSize)
    size = setup.MaxBufSize;
  Step("  memory buffer of " + std::to_string(size) + " bytes (source: minimum " +
       std::to_string(setup.MinBufSize) + ", maximum " + std::to_string(setup.MaxBufSize) +
       ", preferred " + std::to_string(setup.Preferred) + ")");

  std::vector<unsigned char> buffer(size);
  StripImage image(info.ImageWidth, info.ImageLength, info.SamplesPerPixel, info.BitsPerPixel);
  int reported = -1;  // the last tenth of the image reported
  for (;;) {
    TW_IMAGEMEMXFER strip{};
    strip.Memory.Flags = TWMF_APPOWNS | TWMF_POINTER;
    strip.Memory.Length = size;
    strip.Memory.TheMem = buffer.data();
    TW_UINT16 answer = session.ToSource(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &strip);
    if (answer != TWRC_SUCCESS && answer != TWRC_XFERDONE) {
      session.ReportSourceFailure(
          "DAT_IMAGEMEMXFER (strip " + std::to_string(result->strips + 1) + ")", answer);
      return false;
    }
    if (answer == TWRC_XFERDONE) session.SetTransferDone();
    std::string error;
    if (!image.AddStrip(strip, &error))
      return Fail("strip " + std::to_string(result->strips + 1) + ": " + error);
    ++result->strips;
    result->bytes += strip.BytesWritten;
    size_t rows = image.Rows();
    int tenth = rows ? int(image.RowsReceived() * 10 / rows) : 0;
    if (tenth != reported || answer == TWRC_XFERDONE) {
      reported = tenth;
      std::printf("  strip %u: rows %u-%u of %zu (%zu%%)\n", result->strips,
                  unsigned(strip.YOffset), unsigned(strip.YOffset + strip.Rows) - 1, rows,
                  rows ? image.RowsReceived() * 100 / rows : 0);
      std::fflush(stdout);
    }
    if (answer == TWRC_XFERDONE) break;
    if (strip.Rows == 0) return Fail("the source delivered a strip without rows");
  }
  if (!image.Complete())
    return Fail("the source ended the image after " + std::to_string(image.RowsReceived()) +
                " of " + std::to_string(image.Rows()) + " rows");
  std::string error;
  if (!WritePng(file, image.Width(), image.Rows(), image.Samples(), image.Pixels(),
                image.RowBytes(), &error))
    return Fail(error);
  Step("  wrote " + file);
  return true;
}

// DAT_SETUPFILEXFER with the output name, then DG_IMAGE / DAT_IMAGEFILEXFER:
// the source writes the file itself; it is read back to check it.
bool TransferFile(TwainSession& session, const TW_IMAGEINFO& info, const std::string& file,
                  ImageResult* result) {
  TW_SETUPFILEXFER setup{};
  if (file.size() >= sizeof setup.FileName)
    return Fail("the file name " + file + " is longer than TWAIN allows (255 characters)");
  std::strcpy(setup.FileName, file.c_str());
  setup.Format = TWFF_TIFF;
  if (!session.Control(DAT_SETUPFILEXFER, MSG_SET, &setup, "DAT_SETUPFILEXFER " + file))
    return false;
  TW_UINT16 answer = session.ToSource(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr);
  if (answer != TWRC_XFERDONE) {
    session.ReportSourceFailure("DAT_IMAGEFILEXFER", answer);
    return false;
  }
  session.SetTransferDone();
  TiffGeometry geometry;
  std::string error;
  if (!ReadTiffGeometry(file, &geometry, &error))
    return Fail("the source reported the file transfer done, but " + error);
  if (geometry.width != TW_UINT32(info.ImageWidth) ||
      geometry.height != TW_UINT32(info.ImageLength))
    return Fail(file + " holds a " + std::to_string(geometry.width) + " x " +
                std::to_string(geometry.height) + " image, not the announced " +
                std::to_string(info.ImageWidth) + " x " + std::to_string(info.ImageLength));
  FILE* written = std::fopen(file.c_str(), "rb");
  if (written != nullptr) {
    std::fseek(written, 0, SEEK_END);
    result->bytes = static_cast<unsigned long long>(std::ftell(written));
    std::fclose(written);
  }
  Step("  the source wrote " + file + ": TIFF " + std::to_string(geometry.width) + " x " +
       std::to_string(geometry.height) + ", " + std::to_string(geometry.samples) + " x " +
       std::to_string(geometry.bitsPerSample) + " bits");
  return true;
}

bool AcquireImages(TwainSession& session, const Options& options, long mechanism, long count) {
  bool several = (count > 1 || count == -1) && options.limit != 1;
  unsigned acquired = 0;
  unsigned long long totalBytes = 0;
  double totalMs = 0;
  for (unsigned number = 1;; ++number) {
    Clock::time_point start = Clock::now();
    TW_IMAGEINFO info{};
    TW_UINT16 answer = session.ToSource(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info);
    if (answer != TWRC_SUCCESS) {
      session.ReportSourceFailure("DAT_IMAGEINFO", answer);
      return false;
    }
    std::string of = count > 0 ? " of " + std::to_string(count) : "";
    char geometry[160];
    std::snprintf(geometry, sizeof geometry,
                  "%d x %d, %d sample%s of %d bits (%s, %d bits per pixel), %g x %g dpi",
                  int(info.ImageWidth), int(info.ImageLength), info.SamplesPerPixel,
                  info.SamplesPerPixel == 1 ? "" : "s", info.BitsPerSample[0],
                  PixelTypeName(info.PixelType), info.BitsPerPixel,
                  info.XResolution.Whole + info.XResolution.Frac / 65536.0,
                  info.YResolution.Whole + info.YResolution.Frac / 65536.0);
    Step("Image " + std::to_string(number) + of + ": " + geometry);

    ImageResult result;
    result.file = OutputFileName(options.output, number, several, MechanismExtension(mechanism));
    bool transferred = false;
    if (mechanism == TWSX_NATIVE) {
      transferred = TransferNative(session, result.file, &result);
    } else if (mechanism == TWSX_MEMORY) {
      uint64_t frameBytes = uint64_t(info.ImageWidth > 0 ? info.ImageWidth : 0) *
                            uint64_t(info.ImageLength > 0 ? info.ImageLength : 0) *
                            uint64_t(info.SamplesPerPixel > 0 ? info.SamplesPerPixel : 0);
      if (info.ImageWidth <= 0 || frameBytes > MAX_MEMORY_IMAGE_BYTES)
        return Fail("an image of " + std::to_string(info.ImageWidth) + " x " +
                    std::to_string(info.ImageLength) + " pixels cannot be assembled in memory");
      if (info.Planar || (info.SamplesPerPixel != 1 && info.SamplesPerPixel != 3) ||
          info.BitsPerPixel != 8 * info.SamplesPerPixel)
        return Fail(
            "a memory transfer is written as PNG, which needs 1 or 3 chunky samples of 8 bits");
      transferred = TransferMemory(session, options, info, result.file, &result);
    } else {
      transferred = TransferFile(session, info, result.file, &result);
    }
    if (!transferred) return false;

    TW_INT16 pending = 0;
    if (!session.EndTransfer(&pending)) return false;
    double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    ++acquired;
    totalBytes += result.bytes;
    totalMs += ms;
    std::string strips = mechanism != TWSX_MEMORY ? ""
                         : result.strips == 1     ? ", 1 strip"
                                              : ", " + std::to_string(result.strips) + " strips";
    char summary[256];
    std::snprintf(summary, sizeof summary,
                  "Image %u done: %s, %d x %d, %llu bytes%s, %.1f ms; %d pending", number,
                  result.file.c_str(), int(info.ImageWidth), int(info.ImageLength), result.bytes,
                  strips.c_str(), ms, int(pending));
    Step(summary);
    if (pending == 0) break;
    if (options.limit != 0 && acquired >= unsigned(options.limit)) {
      Step("Reached the limit of " + std::to_string(options.limit) +
           (options.limit == 1 ? " image" : " images"));
      if (!session.ResetTransfers()) return false;
      break;
    }
  }
  char total[160];
  std::snprintf(total, sizeof total,
                "Acquired %u image%s, %llu bytes in %.1f ms (%.1f ms per image)", acquired,
                acquired == 1 ? "" : "s", totalBytes, totalMs, acquired ? totalMs / acquired : 0.0);
  Step(total);
  return true;
}

int Run(TwainSession& session, const Options& options) {
  if (!session.LoadManager() || !session.OpenManager()) return 1;
  std::vector<TW_IDENTITY> sources;
  if (!session.ListSources(&sources)) return 1;
  if (options.list) {
    Step(std::to_string(sources.size()) +
         (sources.size() == 1 ? " data source:" : " data sources:"));
    for (size_t i = 0; i < sources.size(); ++i)
      Step("  " + std::to_string(i + 1) + ". " + Describe(sources[i]));
    return 0;
  }
  TW_IDENTITY choice{};
  if (!ChooseSource(sources, options.source, &choice)) return 1;
  Step("Opening " + Describe(choice));
  if (!session.OpenSource(choice)) return 1;
  if (!Negotiate(session, options)) return 1;
  if (!options.gets.empty()) return ReportCapabilities(session, options) ? 0 : 1;

  long mechanism = TWSX_NATIVE, count = 0;
  if (!CurrentValue(session, ICAP_XFERMECH, &mechanism) ||
      !CurrentValue(session, CAP_XFERCOUNT, &count))
    return 1;
  if (MechanismName(mechanism) == nullptr) {
    Fail("the source's ICAP_XFERMECH is " + std::to_string(mechanism) +
         ", which is no transfer mechanism");
    return 1;
  }
  if (count == -1 && options.limit == 0) {
    Fail("CAP_XFERCOUNT is -1 (as many images as the source delivers): give --limit N");
    return 1;
  }
  Step(std::string("Transfer mechanism: ") + MechanismName(mechanism) + "; images: " +
       (count == -1  ? "unlimited"
        : count <= 0 ? "1"
                     : std::to_string(count)) +
       (options.limit ? ", limit " + std::to_string(options.limit) : ""));

  bool enabled = options.userInterface ? session.EnableWithUi() : session.EnableWithoutUi();
  if (!enabled || !session.WaitForTransferReady(options.timeoutSeconds)) return 1;
  return AcquireImages(session, options, mechanism, count) ? 0 : 1;
}

}  // namespace

int RunAcquire(const Options& options) {
  TwainSession session;
  int status = Run(session, options);
  session.Shutdown();
  return status;
}
