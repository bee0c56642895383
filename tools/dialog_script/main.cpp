// dialog_script SCRIPT: what a user does in the source's settings dialog,
// one action a line, with PNG snapshots of the dialog on the way.
//
//   tab N                    choose tab N (0 A/D, 1 Video Norm, 2 LUT)
//   click ID                 click a button, check box or radio button
//   slider ID P[,P...]       drag a slider through the positions
//   choose ID TEXT           choose an item of a drop-down list
//   mouse down|move|up X Y   the left button at a point of the current page
//   transfer                 press Transfer and wait for MSG_XFERREADY
//   wait MS                  let the live picture run for MS milliseconds
//   snapshot FILE            save the dialog as a PNG file
//
// Blank lines and lines starting with # are skipped. The simulated board is
// configured by its environment variables (MILSIM_*).
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/host/testing.h"
#include "platform/win32.h"
#include "tools/acquire/twain_session.h"

namespace {

constexpr char DIALOG_CAPTION[] = "Frame Grabber Settings";
constexpr int TAB_CONTROL = 1034;
constexpr int TRANSFER_BUTTON = 1;
constexpr double TRANSFER_TIMEOUT_SECONDS = 5;

// The page is the dialog's one child dialog.
HWND CurrentPage(HWND dialog) { return HostFindWindowByClass(dialog, "#32770", 1); }

HWND Control(HWND dialog, int id) {
  HWND control = HostFindControl(dialog, id);
  if (control == nullptr) std::fprintf(stderr, "dialog_script: no control %d\n", id);
  return control;
}

std::vector<int> Positions(const std::string& list) {
  std::vector<int> positions;
  std::istringstream items(list);
  for (std::string item; std::getline(items, item, ',');) positions.push_back(std::stoi(item));
  return positions;
}

bool Mouse(HWND dialog, const std::string& action, int x, int y) {
  HWND page = CurrentPage(dialog);
  if (action == "down") return HostMouseDown(page, x, y);
  if (action == "move") return HostMouseMove(page, x, y);
  if (action == "up") return HostMouseUp(page, x, y);
  return false;
}

// One line of the script; false with a message when it cannot be done.
bool Perform(TwainSession& session, HWND dialog, const std::string& line) {
  std::istringstream words(line);
  std::string action;
  words >> action;
  bool done = false;
  if (action == "tab") {
    int index = -1;
    done = bool(words >> index) && HostChooseTab(Control(dialog, TAB_CONTROL), index);
  } else if (action == "click") {
    int id = 0;
    done = bool(words >> id) && HostClickControl(Control(dialog, id));
  } else if (action == "slider") {
    int id = 0;
    std::string list;
    if (words >> id >> list) {
      std::vector<int> positions = Positions(list);
      done = HostDragSlider(Control(dialog, id), positions.data(), positions.size());
    }
  } else if (action == "choose") {
    int id = 0;
    std::string text;
    if (words >> id && std::getline(words >> std::ws, text)) {
      done = HostChooseComboText(Control(dialog, id), text.c_str());
    }
  } else if (action == "mouse") {
    std::string button;
    int x = 0, y = 0;
    done = bool(words >> button >> x >> y) && Mouse(dialog, button, x, y);
  } else if (action == "transfer") {
    done = HostClickControl(Control(dialog, TRANSFER_BUTTON)) &&
           session.WaitForTransferReady(TRANSFER_TIMEOUT_SECONDS) && session.ResetTransfers();
  } else if (action == "wait") {
    int milliseconds = 0;
    done = bool(words >> milliseconds) && milliseconds >= 0;
    if (done) Sleep(static_cast<DWORD>(milliseconds));
  } else if (action == "snapshot") {
    std::string file;
    done = bool(words >> file) && HostRenderWindowToPng(dialog, file.c_str());
    if (done) std::printf("Saved the dialog as %s\n", file.c_str());
  }
  if (!done) std::fprintf(stderr, "dialog_script: cannot do '%s'\n", line.c_str());
  return done;
}

int Run(TwainSession& session, std::ifstream& script) {
  std::vector<TW_IDENTITY> sources;
  if (!session.LoadManager() || !session.OpenManager() || !session.ListSources(&sources)) return 1;
  if (sources.size() != 1) {
    std::fprintf(stderr, "dialog_script: %zu data sources found, one expected\n", sources.size());
    return 1;
  }
  if (!session.OpenSource(sources[0]) || !session.EnableWithUi()) return 1;
  HWND dialog = HostFindWindowByText(nullptr, DIALOG_CAPTION);
  if (dialog == nullptr) {
    std::fprintf(stderr, "dialog_script: the source shows no \"%s\" dialog\n", DIALOG_CAPTION);
    return 1;
  }
  for (std::string line; std::getline(script, line);) {
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#') continue;
    std::printf("> %s\n", line.c_str() + start);
    if (!Perform(session, dialog, line.substr(start))) return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 2 || argv[1][0] == '-') {
    std::fprintf(stderr, "Usage: dialog_script SCRIPT\n");
    return 2;
  }
  std::ifstream script(argv[1]);
  if (!script) {
    std::fprintf(stderr, "dialog_script: cannot read %s\n", argv[1]);
    return 2;
  }
  TwainSession session;
  int status = Run(session, script);
  session.Shutdown();
  return status;
}
