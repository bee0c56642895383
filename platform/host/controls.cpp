// Controls: the window procedures of the button, static, edit, combo box, tab
// control and trackbar classes, the common-controls initialisation, and the
// testing controls that act on them as a user would.
//
// Differs from Windows: a combo box's list never drops down on the screen (a
// user's choice is made with HostChooseComboItem); an edit control takes no
// typing; controls draw nothing themselves (render.cpp draws them from their
// state); an automatic radio button unchecks every other automatic radio
// button of its group, hidden or disabled ones too.
#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/host/testing.h"
#include "platform/host/win32_modules.h"
#include "platform/host/windowing.h"

namespace host {
namespace {

struct ClassName {
  WindowClass kind;
  const char* name;
};

constexpr ClassName kClassNames[] = {
    {WindowClass::Dialog, "#32770"},       {WindowClass::Button, "Button"},
    {WindowClass::Static, "Static"},       {WindowClass::Edit, "Edit"},
    {WindowClass::ComboBox, "ComboBox"},   {WindowClass::ListBox, "ListBox"},
    {WindowClass::ScrollBar, "ScrollBar"}, {WindowClass::Tab, WC_TABCONTROLA},
    {WindowClass::Trackbar, TRACKBAR_CLASSA},
};

UINT ButtonType(const Window& button) { return button.style & BS_TYPEMASK; }

bool IsCheckBox(UINT type) {
  return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE;
}
bool IsRadio(UINT type) { return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON; }
bool IsThreeState(UINT type) { return type == BS_3STATE || type == BS_AUTO3STATE; }

bool PointInClient(const Window& window, LPARAM point) {
  int x = short(LOWORD(point)), y = short(HIWORD(point));
  return x >= 0 && y >= 0 && x < ClientWidth(window) && y < ClientHeight(window);
}

// The siblings of a control's WS_GROUP group, the control included.
std::vector<HWND> GroupOf(const Window& control) {
  Window* parent = PeekWindowRecord(control.parent);
  if (parent == nullptr) return {control.handle};
  const std::vector<HWND>& siblings = parent->children;
  size_t at = std::find(siblings.begin(), siblings.end(), control.handle) - siblings.begin();
  size_t first = at;
  while (first > 0 && (PeekWindowRecord(siblings[first])->style & WS_GROUP) == 0) --first;
  size_t last = at + 1;
  while (last < siblings.size() && (PeekWindowRecord(siblings[last])->style & WS_GROUP) == 0) ++last;
  return std::vector<HWND>(siblings.begin() + first, siblings.begin() + last);
}

// A click on a button, after the button was pressed and released over it.
void ButtonClicked(HWND handle) {
  Window* button = PeekWindowRecord(handle);
  switch (ButtonType(*button)) {
    case BS_AUTOCHECKBOX: button->check = button->check == BST_UNCHECKED ? BST_CHECKED : BST_UNCHECKED; break;
    case BS_AUTO3STATE: button->check = (button->check + 1) % 3; break;
    case BS_AUTORADIOBUTTON:
      for (HWND sibling : GroupOf(*button)) {
        Window* other = PeekWindowRecord(sibling);
        if (sibling != handle && other->kind == WindowClass::Button && ButtonType(*other) == BS_AUTORADIOBUTTON)
          SendMessageA(sibling, BM_SETCHECK, BST_UNCHECKED, 0);
      }
      button->check = BST_CHECKED;
      break;
    default: break;
  }
  MarkForPaint(*button);
  NotifyParent(*button, BN_CLICKED);
}

void SetControlImage(Window& control, HGDIOBJ image) {
  control.image = image;
  int width, height;
  const std::vector<uint8_t>* pixels;
  bool keepSize = (control.style & (SS_REALSIZECONTROL | SS_CENTERIMAGE)) != 0;
  if (control.kind == WindowClass::Static && !keepSize && BitmapPixels(image, &width, &height, &pixels)) {
    RECT frame = FrameInsets(control);
    control.rect.right = control.rect.left + width + frame.left + frame.right;
    control.rect.bottom = control.rect.top + height + frame.top + frame.bottom;
  }
  MarkForPaint(control);
}

void SelectComboItem(Window& combo, int index) {
  combo.selection = index >= 0 && index < int(combo.items.size()) ? index : -1;
  combo.text = combo.selection >= 0 ? combo.items[size_t(combo.selection)] : "";
  MarkForPaint(combo);
}

int InsertComboItem(Window& combo, int index, const char* text) {
  if (text == nullptr) text = "";
  if (index < 0 || index > int(combo.items.size())) index = int(combo.items.size());
  if ((combo.style & CBS_SORT) != 0) {
    index = 0;
    while (index < int(combo.items.size()) && strcasecmp(combo.items[size_t(index)].c_str(), text) <= 0) ++index;
  }
  combo.items.insert(combo.items.begin() + index, text);
  combo.itemData.insert(combo.itemData.begin() + index, 0);
  if (combo.selection >= index) ++combo.selection;
  MarkForPaint(combo);
  return index;
}

int FindComboItem(const Window& combo, int after, const char* text, bool exact) {
  if (text == nullptr) return CB_ERR;
  size_t count = combo.items.size(), length = strlen(text);
  for (size_t step = 1; step <= count; ++step) {
    size_t i = (size_t(after + 1 > 0 ? after + 1 : 0) + step - 1) % count;
    const std::string& item = combo.items[i];
    if (exact ? strcasecmp(item.c_str(), text) == 0 : strncasecmp(item.c_str(), text, length) == 0) return int(i);
  }
  return CB_ERR;
}

// Sends the tab control's notifications for a selection by the user; false
// when the parent refused the change.
bool SelectTabByUser(Window& tab, int index) {
  if (index == tab.selection) return true;
  HWND handle = tab.handle;
  NMHDR header{handle, UINT_PTR(tab.id), TCN_SELCHANGING};
  if (SendMessageA(tab.parent, WM_NOTIFY, WPARAM(tab.id), reinterpret_cast<LPARAM>(&header)) != 0) return false;
  Window* record = PeekWindowRecord(handle);
  if (record == nullptr) return false;
  record->selection = index;
  MarkForPaint(*record);
  header.code = TCN_SELCHANGE;
  SendMessageA(record->parent, WM_NOTIFY, WPARAM(record->id), reinterpret_cast<LPARAM>(&header));
  return true;
}

int ClampToRange(const Window& trackbar, LONG_PTR value) {
  if (value < trackbar.rangeMin) return trackbar.rangeMin;
  if (value > trackbar.rangeMax) return trackbar.rangeMax;
  return int(value);
}

void SetTrackbarRange(Window& trackbar, int low, int high) {
  trackbar.rangeMin = low;
  trackbar.rangeMax = high;
  trackbar.pageSize = std::max(1, (high - low) / 5);
  trackbar.position = ClampToRange(trackbar, trackbar.position);
  MarkForPaint(trackbar);
}

void NotifyScroll(const Window& trackbar, WORD code) {
  WORD position = code == TB_THUMBTRACK || code == TB_THUMBPOSITION ? WORD(trackbar.position) : 0;
  SendMessageA(trackbar.parent, (trackbar.style & TBS_VERT) != 0 ? WM_VSCROLL : WM_HSCROLL,
               MAKEWPARAM(code, position), reinterpret_cast<LPARAM>(trackbar.handle));
}

bool IsVertical(const Window& trackbar) { return (trackbar.style & TBS_VERT) != 0; }

constexpr int kThumbBreadth = 10;  // along the channel
constexpr int kTabLabelHeight = kCharHeight + 8;

int TrackbarSpan(const Window& trackbar) {
  int length = IsVertical(trackbar) ? ClientHeight(trackbar) : ClientWidth(trackbar);
  return std::max(0, length - kThumbBreadth);
}

int PositionAtPoint(const Window& trackbar, LPARAM point) {
  int along = IsVertical(trackbar) ? short(HIWORD(point)) : short(LOWORD(point));
  int span = TrackbarSpan(trackbar), range = trackbar.rangeMax - trackbar.rangeMin;
  if (span == 0 || range <= 0) return trackbar.rangeMin;
  long long offset = (long long)(along - kThumbBreadth / 2) * range;
  long long value = trackbar.rangeMin + (offset >= 0 ? (offset + span / 2) / span : (offset - span / 2) / span);
  return ClampToRange(trackbar, LONG_PTR(value));
}

// The control of a kind, if a user can reach it.
Window* UsableControl(HWND handle, WindowClass kind) {
  Window* control = PeekWindowRecord(handle);
  if (control == nullptr || control->kind != kind || !TakesUserInput(handle)) return nullptr;
  return control;
}

}  // namespace

const char* ClassNameOf(WindowClass kind) {
  for (const ClassName& entry : kClassNames) {
    if (entry.kind == kind) return entry.name;
  }
  return "";
}

bool ClassFromName(const std::string& name, WindowClass* kind) {
  for (const ClassName& entry : kClassNames) {
    if (strcasecmp(entry.name, name.c_str()) == 0) {
      *kind = entry.kind;
      return true;
    }
  }
  return false;
}

bool IsMouseTransparent(const Window& window, POINT point) {
  if (window.kind == WindowClass::Static) return (window.style & SS_NOTIFY) == 0;
  if (window.kind == WindowClass::Tab) {
    for (const RECT& r : TabLabelRects(window)) {
      if (point.x >= r.left && point.x < r.right && point.y >= r.top && point.y < r.bottom) return false;
    }
    return true;
  }
  return window.kind == WindowClass::Button && ButtonType(window) == BS_GROUPBOX;
}

std::vector<RECT> TabLabelRects(const Window& tab) {
  std::vector<RECT> rects;
  int x = 2;
  for (const TabItem& item : tab.tabs) {
    int width = TextWidth(item.text) + 12;
    rects.push_back(RECT{x, 2, x + width, 2 + kTabLabelHeight});
    x += width;
  }
  return rects;
}

RECT TrackbarThumbRect(const Window& trackbar) {
  int range = trackbar.rangeMax - trackbar.rangeMin;
  int offset = range > 0 ? int((long long)(trackbar.position - trackbar.rangeMin) * TrackbarSpan(trackbar) / range) : 0;
  if (IsVertical(trackbar)) return RECT{2, offset, ClientWidth(trackbar) - 2, offset + kThumbBreadth};
  return RECT{offset, 2, offset + kThumbBreadth, ClientHeight(trackbar) - 2};
}

LRESULT CALLBACK ButtonProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* button = FindWindowRecord(handle);
  if (button == nullptr) return 0;
  UINT type = ButtonType(*button);
  switch (message) {
    case BM_GETCHECK: return IsCheckBox(type) || IsRadio(type) ? button->check : BST_UNCHECKED;
    case BM_SETCHECK:
      if (IsCheckBox(type) || IsRadio(type)) {
        button->check = std::min<UINT>(UINT(wParam), IsThreeState(type) ? BST_INDETERMINATE : BST_CHECKED);
        MarkForPaint(*button);
      }
      return 0;
    case BM_GETSTATE:
      return button->check | (button->pushed ? BST_PUSHED : 0) | (GetFocus() == handle ? BST_FOCUS : 0);
    case BM_SETSTATE:
      button->pushed = wParam != 0;
      MarkForPaint(*button);
      return 0;
    case BM_SETSTYLE:
      button->style = (button->style & 0xFFFF0000u) | LOWORD(wParam);
      MarkForPaint(*button);
      return 0;
    case BM_CLICK:
      if (type != BS_GROUPBOX && IsWindowEnabled(handle)) {
        SendMessageA(handle, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        SendMessageA(handle, WM_LBUTTONUP, 0, 0);
      }
      return 0;
    case BM_GETIMAGE: return reinterpret_cast<LRESULT>(button->image);
    case BM_SETIMAGE: {
      HGDIOBJ previous = button->image;
      SetControlImage(*button, reinterpret_cast<HGDIOBJ>(lParam));
      return reinterpret_cast<LRESULT>(previous);
    }
    case WM_LBUTTONDOWN:
      if (type == BS_GROUPBOX) return 0;
      button->pushed = true;
      MarkForPaint(*button);
      SetCapture(handle);
      SetFocus(handle);
      return 0;
    case WM_LBUTTONUP:
      if (!button->pushed) return 0;
      button->pushed = false;
      MarkForPaint(*button);
      if (GetCapture() == handle) ReleaseCapture();
      if (PointInClient(*button, lParam)) ButtonClicked(handle);
      return 0;
    case WM_KEYUP:
      if (wParam == VK_SPACE && type != BS_GROUPBOX) ButtonClicked(handle);
      return 0;
    default: return DefWindowProcA(handle, message, wParam, lParam);
  }
}

LRESULT CALLBACK StaticProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* control = FindWindowRecord(handle);
  if (control == nullptr) return 0;
  switch (message) {
    case WM_CREATE:
      // A bitmap static loads its bitmap, named by its text, from its module.
      if ((control->style & SS_TYPEMASK) == SS_BITMAP && !control->text.empty()) {
        std::string name = control->text;
        LPCSTR resource = name[0] == '#' ? MAKEINTRESOURCEA(atoi(name.c_str() + 1)) : name.c_str();
        HGDIOBJ image = static_cast<HGDIOBJ>(LoadImageA(control->instance, resource, IMAGE_BITMAP, 0, 0, 0));
        control = PeekWindowRecord(handle);
        control->text.clear();
        if (image == nullptr) {
          fprintf(stderr, "Static %d: bitmap %s not found\n", control->id, name.c_str());
        } else {
          SetControlImage(*control, image);
          control->ownImage = true;
        }
      }
      return 0;
    case STM_GETIMAGE: return wParam == IMAGE_BITMAP ? reinterpret_cast<LRESULT>(control->image) : 0;
    case STM_SETIMAGE: {
      if (wParam != IMAGE_BITMAP) return 0;
      // The previous image goes back to the caller, who now owns it.
      HGDIOBJ previous = control->image;
      control->ownImage = false;
      SetControlImage(*control, reinterpret_cast<HGDIOBJ>(lParam));
      return reinterpret_cast<LRESULT>(previous);
    }
    case WM_NCDESTROY:
      if (control->ownImage && control->image != nullptr) DeleteObject(control->image);
      control->image = nullptr;
      control->ownImage = false;
      return 0;
    default: return DefWindowProcA(handle, message, wParam, lParam);
  }
}

LRESULT CALLBACK EditProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* edit = FindWindowRecord(handle);
  if (edit == nullptr) return 0;
  switch (message) {
    case WM_SETTEXT: {
      LRESULT result = DefWindowProcA(handle, message, wParam, lParam);
      NotifyParent(*edit, EN_CHANGE);
      return result;
    }
    case EM_SETREADONLY:
      edit->style = wParam != 0 ? edit->style | ES_READONLY : edit->style & ~DWORD(ES_READONLY);
      MarkForPaint(*edit);
      return TRUE;
    case EM_GETSEL:
    case EM_SETSEL:
    case EM_LIMITTEXT: return 0;
    default: return DefWindowProcA(handle, message, wParam, lParam);
  }
}

LRESULT CALLBACK ComboBoxProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* combo = FindWindowRecord(handle);
  if (combo == nullptr) return 0;
  int count = int(combo->items.size());
  int index = int(wParam);
  switch (message) {
    case CB_ADDSTRING: return InsertComboItem(*combo, -1, reinterpret_cast<LPCSTR>(lParam));
    case CB_INSERTSTRING:
      if (index > count) return CB_ERR;
      return InsertComboItem(*combo, index, reinterpret_cast<LPCSTR>(lParam));
    case CB_DELETESTRING:
      if (index < 0 || index >= count) return CB_ERR;
      combo->items.erase(combo->items.begin() + index);
      combo->itemData.erase(combo->itemData.begin() + index);
      if (combo->selection == index)
        SelectComboItem(*combo, -1);
      else if (combo->selection > index)
        --combo->selection;
      return count - 1;
    case CB_RESETCONTENT:
      combo->items.clear();
      combo->itemData.clear();
      SelectComboItem(*combo, -1);
      return CB_OKAY;
    case CB_GETCOUNT: return count;
    case CB_GETCURSEL: return combo->selection;
    case CB_SETCURSEL:
      SelectComboItem(*combo, index);
      return index >= 0 && index < count ? index : CB_ERR;
    case CB_GETLBTEXT:
      if (index < 0 || index >= count || lParam == 0) return CB_ERR;
      strcpy(reinterpret_cast<char*>(lParam), combo->items[size_t(index)].c_str());
      return LRESULT(combo->items[size_t(index)].size());
    case CB_GETLBTEXTLEN:
      return index >= 0 && index < count ? LRESULT(combo->items[size_t(index)].size()) : CB_ERR;
    case CB_FINDSTRING:
    case CB_FINDSTRINGEXACT:
      return FindComboItem(*combo, index, reinterpret_cast<LPCSTR>(lParam), message == CB_FINDSTRINGEXACT);
    case CB_SELECTSTRING: {
      int found = FindComboItem(*combo, index, reinterpret_cast<LPCSTR>(lParam), false);
      if (found != CB_ERR) SelectComboItem(*combo, found);
      return found;
    }
    case CB_GETITEMDATA: return index >= 0 && index < count ? combo->itemData[size_t(index)] : CB_ERR;
    case CB_SETITEMDATA:
      if (index < 0 || index >= count) return CB_ERR;
      combo->itemData[size_t(index)] = lParam;
      return TRUE;
    case WM_CREATE:
      // The template's height is the dropped list's; the closed box is one line.
      combo->dropHeight = combo->rect.bottom - combo->rect.top;
      if ((combo->style & 3) != CBS_SIMPLE) combo->rect.bottom = combo->rect.top + kComboHeight;
      return 0;
    case CB_SHOWDROPDOWN: combo->dropped = wParam != 0; return TRUE;
    case CB_GETDROPPEDSTATE: return combo->dropped;
    case WM_SETTEXT: {
      // A drop-down list shows only its items.
      if ((combo->style & 3) != CBS_DROPDOWNLIST) return DefWindowProcA(handle, message, wParam, lParam);
      int found = FindComboItem(*combo, -1, reinterpret_cast<LPCSTR>(lParam), true);
      if (found == CB_ERR) return CB_ERR;
      SelectComboItem(*combo, found);
      return TRUE;
    }
    default: return DefWindowProcA(handle, message, wParam, lParam);
  }
}

LRESULT CALLBACK TabProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* tab = FindWindowRecord(handle);
  if (tab == nullptr) return 0;
  int count = int(tab->tabs.size());
  int index = int(wParam);
  switch (message) {
    case TCM_GETITEMCOUNT: return count;
    case TCM_INSERTITEMA: {
      const TCITEMA* item = reinterpret_cast<const TCITEMA*>(lParam);
      if (item == nullptr || index < 0) return -1;
      if (index > count) index = count;
      TabItem entry{(item->mask & TCIF_TEXT) != 0 && item->pszText != nullptr ? item->pszText : "",
                    (item->mask & TCIF_IMAGE) != 0 ? item->iImage : -1,
                    (item->mask & TCIF_PARAM) != 0 ? item->lParam : 0};
      tab->tabs.insert(tab->tabs.begin() + index, entry);
      if (count == 0)
        tab->selection = 0;
      else if (tab->selection >= index)
        ++tab->selection;
      MarkForPaint(*tab);
      return index;
    }
    case TCM_GETITEMA:
    case TCM_SETITEMA: {
      TCITEMA* item = reinterpret_cast<TCITEMA*>(lParam);
      if (item == nullptr || index < 0 || index >= count) return FALSE;
      TabItem& entry = tab->tabs[size_t(index)];
      if (message == TCM_SETITEMA) {
        if ((item->mask & TCIF_TEXT) != 0) entry.text = item->pszText != nullptr ? item->pszText : "";
        if ((item->mask & TCIF_IMAGE) != 0) entry.image = item->iImage;
        if ((item->mask & TCIF_PARAM) != 0) entry.param = item->lParam;
        MarkForPaint(*tab);
        return TRUE;
      }
      if ((item->mask & TCIF_TEXT) != 0 && item->pszText != nullptr && item->cchTextMax > 0) {
        size_t length = std::min(entry.text.size(), size_t(item->cchTextMax - 1));
        memcpy(item->pszText, entry.text.data(), length);
        item->pszText[length] = '\0';
      }
      if ((item->mask & TCIF_IMAGE) != 0) item->iImage = entry.image;
      if ((item->mask & TCIF_PARAM) != 0) item->lParam = entry.param;
      return TRUE;
    }
    case TCM_DELETEITEM:
      if (index < 0 || index >= count) return FALSE;
      tab->tabs.erase(tab->tabs.begin() + index);
      if (tab->selection == index)
        tab->selection = -1;
      else if (tab->selection > index)
        --tab->selection;
      MarkForPaint(*tab);
      return TRUE;
    case TCM_DELETEALLITEMS:
      tab->tabs.clear();
      tab->selection = -1;
      MarkForPaint(*tab);
      return TRUE;
    case TCM_GETCURSEL: return tab->selection;
    case TCM_SETCURSEL: {
      if (index < 0 || index >= count) return -1;
      int previous = tab->selection;
      tab->selection = index;
      MarkForPaint(*tab);
      return previous;
    }
    case TCM_GETITEMRECT: {
      RECT* rect = reinterpret_cast<RECT*>(lParam);
      if (rect == nullptr || index < 0 || index >= count) return FALSE;
      *rect = TabLabelRects(*tab)[size_t(index)];
      return TRUE;
    }
    case TCM_ADJUSTRECT: {
      // The display area below the labels, inside a 2-pixel border.
      RECT* rect = reinterpret_cast<RECT*>(lParam);
      if (rect == nullptr) return 0;
      int sign = wParam != 0 ? -1 : 1;
      rect->left += sign * 2;
      rect->right -= sign * 2;
      rect->top += sign * (kTabLabelHeight + 4);
      rect->bottom -= sign * 2;
      return 0;
    }
    case WM_LBUTTONDOWN: {
      POINT point{short(LOWORD(lParam)), short(HIWORD(lParam))};
      std::vector<RECT> labels = TabLabelRects(*tab);
      for (size_t i = 0; i < labels.size(); ++i) {
        const RECT& r = labels[i];
        if (point.x >= r.left && point.x < r.right && point.y >= r.top && point.y < r.bottom) {
          SelectTabByUser(*tab, int(i));
          break;
        }
      }
      return 0;
    }
    default: return DefWindowProcA(handle, message, wParam, lParam);
  }
}

LRESULT CALLBACK TrackbarProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* trackbar = FindWindowRecord(handle);
  if (trackbar == nullptr) return 0;
  switch (message) {
    case TBM_GETPOS: return trackbar->position;
    case TBM_GETRANGEMIN: return trackbar->rangeMin;
    case TBM_GETRANGEMAX: return trackbar->rangeMax;
    case TBM_SETPOS:
      trackbar->position = ClampToRange(*trackbar, lParam);
      MarkForPaint(*trackbar);
      return 0;
    case TBM_SETRANGE: SetTrackbarRange(*trackbar, short(LOWORD(lParam)), short(HIWORD(lParam))); return 0;
    case TBM_SETRANGEMIN: SetTrackbarRange(*trackbar, int(lParam), trackbar->rangeMax); return 0;
    case TBM_SETRANGEMAX: SetTrackbarRange(*trackbar, trackbar->rangeMin, int(lParam)); return 0;
    case TBM_SETTICFREQ: trackbar->ticFrequency = int(wParam); MarkForPaint(*trackbar); return 0;
    case TBM_SETTIC:
    case TBM_CLEARTICS: return TRUE;
    case TBM_GETPAGESIZE: return trackbar->pageSize;
    case TBM_SETPAGESIZE: {
      int previous = trackbar->pageSize;
      trackbar->pageSize = int(lParam);
      return previous;
    }
    case TBM_GETLINESIZE: return trackbar->lineSize;
    case TBM_SETLINESIZE: {
      int previous = trackbar->lineSize;
      trackbar->lineSize = int(lParam);
      return previous;
    }
    case WM_LBUTTONDOWN: {
      SetCapture(handle);
      SetFocus(handle);
      RECT thumb = TrackbarThumbRect(*trackbar);
      int x = short(LOWORD(lParam)), y = short(HIWORD(lParam));
      if (x >= thumb.left && x < thumb.right && y >= thumb.top && y < thumb.bottom) {
        trackbar->tracking = true;
        return 0;
      }
      // A press beside the thumb moves it a page towards the press.
      int toward = PositionAtPoint(*trackbar, lParam);
      WORD code = toward < trackbar->position ? TB_PAGEUP : TB_PAGEDOWN;
      trackbar->position = ClampToRange(*trackbar, trackbar->position + (code == TB_PAGEUP ? -1 : 1) * trackbar->pageSize);
      MarkForPaint(*trackbar);
      NotifyScroll(*trackbar, code);
      return 0;
    }
    case WM_MOUSEMOVE: {
      if (!trackbar->tracking) return 0;
      int position = PositionAtPoint(*trackbar, lParam);
      if (position == trackbar->position) return 0;
      trackbar->position = position;
      MarkForPaint(*trackbar);
      NotifyScroll(*trackbar, TB_THUMBTRACK);
      return 0;
    }
    case WM_LBUTTONUP:
      if (GetCapture() != handle) return 0;
      ReleaseCapture();
      if (trackbar->tracking) {
        trackbar->tracking = false;
        NotifyScroll(*trackbar, TB_THUMBPOSITION);
      }
      if (Window* record = PeekWindowRecord(handle)) NotifyScroll(*record, TB_ENDTRACK);
      return 0;
    case WM_KEYDOWN: {
      int step = wParam == VK_LEFT || wParam == VK_UP ? -1 : wParam == VK_RIGHT || wParam == VK_DOWN ? 1 : 0;
      if (step == 0) return 0;
      trackbar->position = ClampToRange(*trackbar, trackbar->position + step * trackbar->lineSize);
      MarkForPaint(*trackbar);
      NotifyScroll(*trackbar, step < 0 ? TB_LINEUP : TB_LINEDOWN);
      return 0;
    }
    case WM_KEYUP:
      if (wParam == VK_LEFT || wParam == VK_UP || wParam == VK_RIGHT || wParam == VK_DOWN)
        NotifyScroll(*trackbar, TB_ENDTRACK);
      return 0;
    default: return DefWindowProcA(handle, message, wParam, lParam);
  }
}

}  // namespace host

using namespace host;

HOSTAPI void WINAPI InitCommonControls(void) {}

HOSTAPI BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls) {
  // The classes exist from the start; the call only checks its record.
  if (controls == nullptr || controls->dwSize != sizeof(INITCOMMONCONTROLSEX)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;
}

// Testing controls: a user's actions.

HOSTAPI BOOL HostClickControl(HWND control) {
  Window* button = UsableControl(control, WindowClass::Button);
  if (button == nullptr || ButtonType(*button) == BS_GROUPBOX) return FALSE;
  LPARAM centre = MAKELPARAM(ClientWidth(*button) / 2, ClientHeight(*button) / 2);
  SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, centre);
  SendMessageA(control, WM_LBUTTONUP, 0, centre);
  return TRUE;
}

HOSTAPI BOOL HostChooseComboItem(HWND combo, int index) {
  Window* record = UsableControl(combo, WindowClass::ComboBox);
  if (record == nullptr || index < 0 || index >= int(record->items.size())) return FALSE;
  record->dropped = true;
  NotifyParent(*record, CBN_DROPDOWN);
  if ((record = PeekWindowRecord(combo)) == nullptr) return FALSE;
  SelectComboItem(*record, index);
  NotifyParent(*record, CBN_SELCHANGE);
  if ((record = PeekWindowRecord(combo)) == nullptr) return TRUE;
  record->dropped = false;
  NotifyParent(*record, CBN_CLOSEUP);
  if ((record = PeekWindowRecord(combo)) != nullptr) NotifyParent(*record, CBN_SELENDOK);
  return TRUE;
}

HOSTAPI BOOL HostChooseComboText(HWND combo, const char* text) {
  Window* record = PeekWindowRecord(combo);
  if (record == nullptr || record->kind != WindowClass::ComboBox) return FALSE;
  int index = FindComboItem(*record, -1, text, true);
  return index != CB_ERR && HostChooseComboItem(combo, index);
}

HOSTAPI BOOL HostChooseTab(HWND tab, int index) {
  Window* record = UsableControl(tab, WindowClass::Tab);
  if (record == nullptr || index < 0 || index >= int(record->tabs.size())) return FALSE;
  return SelectTabByUser(*record, index);
}

HOSTAPI BOOL HostDragSlider(HWND trackbar, const int* positions, size_t count) {
  Window* record = UsableControl(trackbar, WindowClass::Trackbar);
  if (record == nullptr || (positions == nullptr && count > 0)) return FALSE;
  for (size_t i = 0; i < count; ++i) {
    if ((record = PeekWindowRecord(trackbar)) == nullptr) return FALSE;
    int position = ClampToRange(*record, positions[i]);
    if (position == record->position) continue;
    record->position = position;
    MarkForPaint(*record);
    NotifyScroll(*record, TB_THUMBTRACK);
  }
  if ((record = PeekWindowRecord(trackbar)) == nullptr) return FALSE;
  NotifyScroll(*record, TB_THUMBPOSITION);
  if ((record = PeekWindowRecord(trackbar)) != nullptr) NotifyScroll(*record, TB_ENDTRACK);
  return TRUE;
}

HOSTAPI BOOL HostMoveSlider(HWND trackbar, int position) { return HostDragSlider(trackbar, &position, 1); }

namespace {

void DescribeTree(HWND handle, int depth, std::string* out) {
  Window* window = PeekWindowRecord(handle);
  if (window == nullptr) return;
  RECT r;
  GetWindowRect(handle, &r);
  char line[512];
  snprintf(line, sizeof line, "%*s%s id=%d \"%s\" style=%08x%s%s rect=(%d,%d %dx%d)", depth * 2, "",
           ClassNameOf(window->kind), window->id, window->text.c_str(), unsigned(window->style),
           IsWindowVisible(handle) ? " visible" : " hidden", IsWindowEnabled(handle) ? "" : " disabled",
           int(r.left), int(r.top), int(r.right - r.left), int(r.bottom - r.top));
  *out += line;
  switch (window->kind) {
    case WindowClass::Button:
      if (IsCheckBox(ButtonType(*window)) || IsRadio(ButtonType(*window)))
        *out += window->check == BST_CHECKED ? " checked" : window->check == BST_INDETERMINATE ? " indeterminate" : " unchecked";
      break;
    case WindowClass::ComboBox:
      *out += " selection=" + std::to_string(window->selection) + " items=[";
      for (size_t i = 0; i < window->items.size(); ++i) *out += (i ? "|" : "") + window->items[i];
      *out += "]";
      break;
    case WindowClass::Tab:
      *out += " selection=" + std::to_string(window->selection) + " tabs=[";
      for (size_t i = 0; i < window->tabs.size(); ++i) *out += (i ? "|" : "") + window->tabs[i].text;
      *out += "]";
      break;
    case WindowClass::Trackbar:
      *out += " range=" + std::to_string(window->rangeMin) + ".." + std::to_string(window->rangeMax) +
              " position=" + std::to_string(window->position);
      break;
    default: break;
  }
  *out += "\n";
  for (HWND child : window->children) DescribeTree(child, depth + 1, out);
}

}  // namespace

HOSTAPI const char* HostDescribeWindow(HWND root) {
  static std::string* text = new std::string;
  text->clear();
  DescribeTree(root, 0, text);
  return text->c_str();
}
