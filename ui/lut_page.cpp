// The LUT page: the input look-up table's curves in the curve area, the
// channel to edit, adding, removing and dragging nodes with the mouse, and
// the predefined curves. A finished edit has the table rebuilt and loaded.
#include "grabber/mil_accessors.h"
#include "grabber/mil_info.h"
#include "lut/lut_curves.h"
#include "lut/lut_generation.h"
#include "source/diagnostic_log.h"
#include "ui/curve_editor.h"
#include "ui/page_procedures.h"
#include "ui/resources/resource_ids.h"
#include "ui/tab_pages.h"

namespace {

// What the next left-button press in the curve area does.
enum LutEditMode { LUT_MODE_ADD = 1, LUT_MODE_REMOVE = 2, LUT_MODE_DRAG = 3, LUT_MODE_IDLE = 4 };

// Kept across page instances, as the curves are.
LutEditMode lutEditMode = LUT_MODE_IDLE;

constexpr int USER_DEFINED_CURVE = 0;

struct ChannelButton {
  int id;
  LutChannel channel;
};
const ChannelButton CHANNEL_BUTTONS[] = {
    {IDC_LUT_RED, LUT_RED},
    {IDC_LUT_GREEN, LUT_GREEN},
    {IDC_LUT_BLUE, LUT_BLUE},
    {IDC_LUT_ALL, LUT_ALL},
};

// The curve set exists whenever the board has an input LUT and a digitizer.
LutCurveSet* Curves() { return milInfo.curveSet; }

void Repaint(HWND page) { InvalidateRect(page, nullptr, TRUE); }

void ShowUserDefined(HWND page) {
  SendDlgItemMessageA(page, IDC_PREDEFINED_LUT, CB_SETCURSEL, USER_DEFINED_CURVE, 0);
}

void ShowChannelChoice(HWND page, LutCurveSet& curves) {
  if (GetColourInput()) {
    for (const ChannelButton& button : CHANNEL_BUTTONS) {
      if (button.channel == curves.channel) {
        CheckRadioButton(page, IDC_LUT_RED, IDC_LUT_ALL, button.id);
      }
    }
    return;
  }
  // A monochrome board has one curve: All.
  for (const ChannelButton& button : CHANNEL_BUTTONS) {
    if (button.channel != LUT_ALL) EnableWindow(GetDlgItem(page, button.id), FALSE);
  }
  CheckRadioButton(page, IDC_LUT_RED, IDC_LUT_ALL, IDC_LUT_ALL);
  if (curves.channel != LUT_ALL) curves.SelectChannel(LUT_ALL);
}

void FillPredefinedCurves(HWND page) {
  SendDlgItemMessageA(page, IDC_PREDEFINED_LUT, CB_RESETCONTENT, 0, 0);
  for (const PredefinedCurve& curve : PREDEFINED_CURVES) {
    SendDlgItemMessageA(page, IDC_PREDEFINED_LUT, CB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(curve.text));
  }
  ShowUserDefined(page);
}

// The table is not regenerated when the page opens.
void InitLutPage(HWND page) {
  PlacePage(page);
  if (LutCurveSet* curves = Curves()) ShowChannelChoice(page, *curves);
  FillPredefinedCurves(page);
}

void PaintPage(HWND page) {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(page, &paint);
  if (const LutCurveSet* curves = Curves()) PaintCurves(page, dc, *curves);
  EndPaint(page, &paint);
}

// Leaving All copies the All curve into the three channel curves; choosing
// All loads the table from the All curve.
void ChooseChannel(HWND page, LutCurveSet& curves, LutChannel channel) {
  curves.SelectChannel(channel);
  if (channel == LUT_ALL) MilGenerateLut();
  Repaint(page);
}

// The Add and Remove boxes set their mode whenever they are clicked.
void ChooseNodeMode(HWND page, LutEditMode mode) {
  lutEditMode = mode;
  ShowUserDefined(page);
  CheckDlgButton(page, mode == LUT_MODE_ADD ? IDC_NODE_REMOVE : IDC_NODE_ADD, BST_UNCHECKED);
}

void ChoosePredefinedCurve(HWND page) {
  auto index = static_cast<int>(SendDlgItemMessageA(page, IDC_PREDEFINED_LUT, CB_GETCURSEL, 0, 0));
  if (index <= USER_DEFINED_CURVE || index >= PREDEFINED_CURVE_COUNT) return;
  LoadPredefinedCurve(index);
  MilGenerateLut();
  Repaint(page);
}

void OnCommand(HWND page, WPARAM wParam) {
  int id = LOWORD(wParam);
  LutCurveSet* curves = Curves();
  if (curves == nullptr) return;
  for (const ChannelButton& button : CHANNEL_BUTTONS) {
    if (button.id == id) {
      ChooseChannel(page, *curves, button.channel);
      return;
    }
  }
  switch (id) {
    case IDC_NODE_ADD:
      ChooseNodeMode(page, LUT_MODE_ADD);
      break;
    case IDC_NODE_REMOVE:
      ChooseNodeMode(page, LUT_MODE_REMOVE);
      break;
    case IDC_PREDEFINED_LUT:
      if (HIWORD(wParam) == CBN_SELCHANGE) ChoosePredefinedCurve(page);
      break;
    default:
      break;
  }
}

// The mouse point of a message: unsigned 16-bit page coordinates.
POINT MessagePoint(LPARAM lParam) { return POINT{LOWORD(lParam), HIWORD(lParam)}; }

// An edit is finished: back to idle with both boxes clear, and the table
// rebuilt from the curves and loaded.
void FinishEdit(HWND page) {
  lutEditMode = LUT_MODE_IDLE;
  CheckDlgButton(page, IDC_NODE_ADD, BST_UNCHECKED);
  CheckDlgButton(page, IDC_NODE_REMOVE, BST_UNCHECKED);
  MilGenerateLut();
}

// The levels under the mouse are shown even outside the area; a dragged
// node follows only inside it. A drag whose release the page did not see
// (the button went up elsewhere) ends at the first move without the button.
void MouseMoved(HWND page, LutCurveSet& curves, WPARAM keys, LPARAM lParam) {
  LutPoint levels = MapPointToLut(page, MessagePoint(lParam));
  SetDlgItemInt(page, IDC_LEVEL_X, static_cast<UINT>(levels.x), FALSE);
  SetDlgItemInt(page, IDC_LEVEL_Y, static_cast<UINT>(levels.y), FALSE);
  if (lutEditMode != LUT_MODE_DRAG) return;
  if ((keys & MK_LBUTTON) == 0) {
    FinishEdit(page);
    return;
  }
  if (levels.outside) return;
  curves.MoveSelectedNode(levels.x, levels.y);
  Repaint(page);
  ShowUserDefined(page);
}

// The first node of the current curve that a press at the levels hits; each
// node missed on the way is logged.
const LutNode* FindHitNode(const LutNodeList& list, const LutPoint& levels) {
  DiagnosticLog log;
  for (const LutNode& node : list) {
    if (NodeIsHit(node, levels.x, levels.y)) return &node;
    log.Write("Point %d/%d != ListPoint %d/%d \n", static_cast<int>(levels.x),
              static_cast<int>(levels.y), static_cast<int>(node.x), static_cast<int>(node.y));
  }
  return nullptr;
}

void InsertNodeAt(HWND page, LutCurveSet& curves, const LutPoint& levels) {
  curves.InsertNode(levels.x, levels.y);
  lutEditMode = LUT_MODE_IDLE;
  Repaint(page);
}

// The first and last nodes hold the curve's ends and are never removed.
void RemoveNode(HWND page, LutCurveSet& curves, const LutNode& node) {
  const LutNodeList& list = curves.lists[curves.channel];
  auto sameAs = [&node](const LutNode& other) { return other.x == node.x && other.y == node.y; };
  if (!sameAs(list.front()) && !sameAs(list.back())) curves.RemoveNodeAt(node.x, node.y);
  lutEditMode = LUT_MODE_IDLE;
  Repaint(page);
}

void ButtonPressed(HWND page, LutCurveSet& curves, LPARAM lParam) {
  LutPoint levels = MapPointToLut(page, MessagePoint(lParam));
  if (levels.outside) return;
  const LutNode* hit = FindHitNode(curves.lists[curves.channel], levels);
  if (lutEditMode == LUT_MODE_ADD) {
    InsertNodeAt(page, curves, levels);
  } else if (hit == nullptr) {
    Repaint(page);
  } else if (lutEditMode == LUT_MODE_REMOVE) {
    RemoveNode(page, curves, *hit);
  } else {
    curves.SelectNode(hit);
    lutEditMode = LUT_MODE_DRAG;
    Repaint(page);
  }
}

}  // namespace

INT_PTR CALLBACK LutPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  LutCurveSet* curves = Curves();
  switch (message) {
    case WM_INITDIALOG:
      InitLutPage(page);
      return FALSE;
    case WM_PAINT:
      // Painted: the dialog manager must not paint the page over again.
      PaintPage(page);
      return TRUE;
    case WM_COMMAND:
      OnCommand(page, wParam);
      return FALSE;
    case WM_MOUSEMOVE:
      if (curves != nullptr) MouseMoved(page, *curves, wParam, lParam);
      return FALSE;
    case WM_LBUTTONDOWN:
      if (curves != nullptr) ButtonPressed(page, *curves, lParam);
      return FALSE;
    case WM_LBUTTONUP:
      FinishEdit(page);
      return FALSE;
    default:
      return FALSE;
  }
}
