// Dialogs: templates (DLGTEMPLATEEX and DLGTEMPLATE) turned into a dialog
// window with its controls, the dialog class's window procedure, EndDialog,
// the GetDlgItem family, dialog units, and IsDialogMessageA.
//
// Differs from Windows: every dialog has the base units 6 x 13 that Windows
// gives "MS Sans Serif" 8 at 96 dpi, whatever font its template names, and no
// font object; there are no modal dialogs, so EndDialog only hides the dialog
// and keeps its result (the dialog's owner destroys it); a custom dialog class
// or a menu in a template is ignored; keyboard navigation knows Tab (forwards
// only), Return and Escape.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/host/win32_modules.h"
#include "platform/host/windowing.h"

namespace host {
namespace {

struct ItemTemplate {
  DWORD style = 0;
  DWORD exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  int id = 0;
  bool classIsOrdinal = false;
  WORD classOrdinal = 0;
  std::string className;
  std::string title;  // "#<id>" for a resource ordinal
};

struct DialogTemplate {
  DWORD style = 0;
  DWORD exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  std::string title;
  std::vector<ItemTemplate> items;
};

// Reads a template's bytes, never past its end.
class TemplateReader {
 public:
  TemplateReader(const BYTE* data, size_t size) : data_(data), size_(size) {}
  bool ok() const { return ok_; }
  WORD Word() {
    if (!Need(2)) return 0;
    WORD value = WORD(data_[at_] | (data_[at_ + 1] << 8));
    at_ += 2;
    return value;
  }
  DWORD Dword() {
    DWORD low = Word();
    return low | (DWORD(Word()) << 16);
  }
  short Short() { return short(Word()); }
  void Skip(size_t bytes) {
    if (Need(bytes)) at_ += bytes;
  }
  void AlignDword() { at_ = (at_ + 3) & ~size_t(3); }
  // A zero-terminated UTF-16 string, as Latin-1 (other characters become '?').
  std::string String() {
    std::string text;
    for (WORD c = Word(); ok_ && c != 0; c = Word()) text.push_back(c < 0x100 ? char(c) : '?');
    return text;
  }
  // A name or ordinal: 0 for none, 0xFFFF then an ordinal, else a string.
  void NameOrOrdinal(bool* isOrdinal, WORD* ordinal, std::string* text) {
    *isOrdinal = false;
    *ordinal = 0;
    text->clear();
    WORD first = Word();
    if (first == 0) return;
    if (first == 0xFFFF) {
      *isOrdinal = true;
      *ordinal = Word();
      return;
    }
    at_ -= 2;
    *text = String();
  }

 private:
  bool Need(size_t bytes) {
    if (!ok_ || at_ > size_ || size_ - at_ < bytes) ok_ = false;
    return ok_;
  }
  const BYTE* data_;
  size_t size_;
  size_t at_ = 0;
  bool ok_ = true;
};

bool ParseDialogTemplate(const BYTE* data, size_t size, DialogTemplate* dialog) {
  TemplateReader reader(data, size);
  bool extended = size >= 4 && data[0] == 1 && data[1] == 0 && data[2] == 0xFF && data[3] == 0xFF;
  WORD count;
  if (extended) {
    reader.Skip(4);
    reader.Dword();  // help id
    dialog->exStyle = reader.Dword();
    dialog->style = reader.Dword();
  } else {
    dialog->style = reader.Dword();
    dialog->exStyle = reader.Dword();
  }
  count = reader.Word();
  dialog->x = reader.Short();
  dialog->y = reader.Short();
  dialog->cx = reader.Short();
  dialog->cy = reader.Short();
  bool isOrdinal;
  WORD ordinal;
  std::string name;
  reader.NameOrOrdinal(&isOrdinal, &ordinal, &name);  // menu
  reader.NameOrOrdinal(&isOrdinal, &ordinal, &name);  // dialog class
  dialog->title = reader.String();
  if ((dialog->style & DS_SETFONT) != 0) {
    reader.Word();  // point size
    if (extended) {
      reader.Word();  // weight
      reader.Skip(2);  // italic, character set
    }
    reader.String();  // typeface
  }
  for (WORD i = 0; i < count && reader.ok(); ++i) {
    ItemTemplate item;
    reader.AlignDword();
    if (extended) {
      reader.Dword();  // help id
      item.exStyle = reader.Dword();
      item.style = reader.Dword();
    } else {
      item.style = reader.Dword();
      item.exStyle = reader.Dword();
    }
    item.x = reader.Short();
    item.y = reader.Short();
    item.cx = reader.Short();
    item.cy = reader.Short();
    item.id = extended ? int(reader.Dword()) : int(short(reader.Word()));
    reader.NameOrOrdinal(&item.classIsOrdinal, &item.classOrdinal, &item.className);
    bool titleIsOrdinal;
    WORD titleOrdinal;
    reader.NameOrOrdinal(&titleIsOrdinal, &titleOrdinal, &item.title);
    if (titleIsOrdinal) item.title = "#" + std::to_string(titleOrdinal);
    reader.Skip(reader.Word());  // creation data
    dialog->items.push_back(item);
  }
  return reader.ok();
}

bool ItemClass(const ItemTemplate& item, WindowClass* kind) {
  if (!item.classIsOrdinal) return ClassFromName(item.className, kind);
  switch (item.classOrdinal) {
    case 0x0080: *kind = WindowClass::Button; return true;
    case 0x0081: *kind = WindowClass::Edit; return true;
    case 0x0082: *kind = WindowClass::Static; return true;
    case 0x0083: *kind = WindowClass::ListBox; return true;
    case 0x0084: *kind = WindowClass::ScrollBar; return true;
    case 0x0085: *kind = WindowClass::ComboBox; return true;
    default: return false;
  }
}

// MulDiv: the product divided, rounded half away from zero.
int ScaleRounded(int value, int numerator, int denominator) {
  long long product = (long long)value * numerator;
  long long half = denominator / 2;
  return int(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

RECT DialogUnitsToPixels(short x, short y, short cx, short cy) {
  int left = ScaleRounded(x, kDialogBaseX, 4), top = ScaleRounded(y, kDialogBaseY, 8);
  return RECT{left, top, left + ScaleRounded(cx, kDialogBaseX, 4), top + ScaleRounded(cy, kDialogBaseY, 8)};
}

// The dialog's own visibility does not count: its first tab stop is known
// before it is shown.
bool IsTabStop(const Window& window) {
  return window.kind != WindowClass::Dialog && (window.style & WS_TABSTOP) != 0 &&
         (window.style & (WS_DISABLED | WS_VISIBLE)) == WS_VISIBLE;
}

void CollectTabStops(HWND handle, std::vector<HWND>* stops) {
  Window* window = PeekWindowRecord(handle);
  if (window == nullptr) return;
  for (HWND child : window->children) {
    Window* record = PeekWindowRecord(child);
    if (record == nullptr || (record->style & WS_VISIBLE) == 0) continue;
    if (IsTabStop(*record)) stops->push_back(child);
    CollectTabStops(child, stops);
  }
}

HWND FirstTabStop(HWND dialog) {
  std::vector<HWND> stops;
  CollectTabStops(dialog, &stops);
  return stops.empty() ? nullptr : stops.front();
}

void FocusNextTabStop(HWND dialog) {
  std::vector<HWND> stops;
  CollectTabStops(dialog, &stops);
  if (stops.empty()) return;
  HWND focus = GetFocus();
  size_t next = 0;
  for (size_t i = 0; i < stops.size(); ++i) {
    if (stops[i] == focus) next = (i + 1) % stops.size();
  }
  SetFocus(stops[next]);
}

bool IsPushButton(HWND handle) {
  Window* window = PeekWindowRecord(handle);
  if (window == nullptr || window->kind != WindowClass::Button) return false;
  DWORD type = window->style & BS_TYPEMASK;
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

bool ReturnsDialogResultDirectly(UINT message) {
  return message == WM_INITDIALOG || (message >= 0x0132 && message <= WM_CTLCOLORSTATIC) ||
         message == 0x0039 /* WM_COMPAREITEM */ || message == 0x002E /* WM_VKEYTOITEM */ ||
         message == 0x002F /* WM_CHARTOITEM */ || message == 0x0037 /* WM_QUERYDRAGICON */;
}

// The default handling of the dialog class for what the dialog procedure left.
LRESULT DefaultDialogHandling(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* window = PeekWindowRecord(dialog);
  switch (message) {
    case WM_CLOSE: {
      HWND cancel = GetDlgItem(dialog, IDCANCEL);
      if (cancel == nullptr || IsWindowEnabled(cancel))
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
      return 0;
    }
    case DM_GETDEFID: return window->defaultId != 0 ? MAKELONG(window->defaultId, DC_HASDEFID) : 0;
    case DM_SETDEFID: window->defaultId = int(wParam); return TRUE;
    default: return DefWindowProcA(dialog, message, wParam, lParam);
  }
}

HWND CreateDialogFromTemplate(HINSTANCE instance, const BYTE* data, size_t size, HWND parent,
                              DLGPROC dialogProc, LPARAM initParam) {
  DialogTemplate dialog;
  if (data == nullptr || !ParseDialogTemplate(data, size, &dialog)) {
    fprintf(stderr, "CreateDialog: malformed dialog template\n");
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  bool child = (dialog.style & WS_CHILD) != 0;
  if (child && !IsWindow(parent)) {
    SetLastError(ERROR_TLW_WITH_WSCHILD);
    return nullptr;
  }
  if (parent != nullptr && !IsWindow(parent)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }

  // The template gives the client area; the window adds its frame.
  Window shape;
  shape.kind = WindowClass::Dialog;
  shape.style = dialog.style;
  shape.exStyle = dialog.exStyle;
  RECT frame = FrameInsets(shape);
  RECT client = DialogUnitsToPixels(dialog.x, dialog.y, dialog.cx, dialog.cy);
  int width = client.right - client.left + frame.left + frame.right;
  int height = client.bottom - client.top + frame.top + frame.bottom;
  POINT place{client.left, client.top};
  if (!child && (dialog.style & DS_CENTER) != 0) {
    place.x = (kScreenWidth - width) / 2;
    place.y = (kScreenHeight - height) / 2;
  } else if (!child && parent != nullptr) {
    ClientToScreen(parent, &place);
  }
  if (!child) {
    if (place.x + width > kScreenWidth) place.x = kScreenWidth - width;
    if (place.y + height > kScreenHeight) place.y = kScreenHeight - height;
    if (place.x < 0) place.x = 0;
    if (place.y < 0) place.y = 0;
  }
  Window* window = CreateWindowRecord(WindowClass::Dialog, dialog.style & ~WS_VISIBLE, dialog.exStyle, 0,
                                      parent, instance, RECT{place.x, place.y, place.x + width, place.y + height},
                                      dialog.title);
  if (window == nullptr) return nullptr;
  HWND handle = window->handle;
  window->dialogProc = dialogProc;

  for (const ItemTemplate& item : dialog.items) {
    WindowClass kind;
    if (!ItemClass(item, &kind)) {
      fprintf(stderr, "CreateDialog: unknown control class \"%s\" (ordinal %u)\n", item.className.c_str(),
              unsigned(item.classOrdinal));
      if ((dialog.style & DS_NOFAILCREATE) != 0) continue;
      DestroyWindow(handle);
      SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
      return nullptr;
    }
    Window* control = CreateWindowRecord(kind, item.style | WS_CHILD, item.exStyle, item.id, handle, instance,
                                         DialogUnitsToPixels(item.x, item.y, item.cx, item.cy), item.title);
    if (control == nullptr) {
      DestroyWindow(handle);
      SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
      return nullptr;
    }
    if (kind == WindowClass::Button && (item.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
      PeekWindowRecord(handle)->defaultId = item.id;
  }

  HWND first = FirstTabStop(handle);
  LRESULT focus = SendMessageA(handle, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), initParam);
  if (!IsWindow(handle)) return nullptr;
  if (focus != 0 && first != nullptr && IsWindow(first)) SetFocus(first);
  if ((dialog.style & WS_VISIBLE) != 0) ShowWindow(handle, SW_SHOWNORMAL);
  return handle;
}

}  // namespace

LRESULT CALLBACK DialogWindowProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* window = FindWindowRecord(dialog);
  if (window == nullptr) return 0;
  DLGPROC proc = window->dialogProc;
  window->msgResult = 0;
  INT_PTR handled = proc != nullptr ? proc(dialog, message, wParam, lParam) : FALSE;
  window = PeekWindowRecord(dialog);
  if (handled != 0) {
    if (window == nullptr || ReturnsDialogResultDirectly(message)) return handled;
    return window->msgResult;
  }
  if (window == nullptr) return 0;
  return DefaultDialogHandling(dialog, message, wParam, lParam);
}

}  // namespace host

using namespace host;

HOSTAPI HWND WINAPI CreateDialogIndirectParamA(HINSTANCE instance, LPCDLGTEMPLATEA dialogTemplate, HWND parent,
                                               DLGPROC dialogProc, LPARAM initParam) {
  // The caller vouches for the template's extent, as on Windows.
  return CreateDialogFromTemplate(instance, reinterpret_cast<const BYTE*>(dialogTemplate), SIZE_MAX, parent,
                                  dialogProc, initParam);
}

HOSTAPI HWND WINAPI CreateDialogParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC dialogProc,
                                       LPARAM initParam) {
  HRSRC resource = FindResourceA(instance, templateName, RT_DIALOG);
  if (resource == nullptr) return nullptr;
  const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(instance, resource)));
  return CreateDialogFromTemplate(instance, data, SizeofResource(instance, resource), parent, dialogProc,
                                  initParam);
}

HOSTAPI BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
  Window* window = FindWindowRecord(dialog);
  if (window == nullptr) return FALSE;
  window->ended = true;
  window->endResult = result;
  ShowWindow(dialog, SW_HIDE);
  return TRUE;
}

HOSTAPI HWND WINAPI GetDlgItem(HWND dialog, int controlId) {
  Window* window = FindWindowRecord(dialog);
  if (window == nullptr) return nullptr;
  for (HWND child : window->children) {
    Window* control = PeekWindowRecord(child);
    if (control != nullptr && control->id == controlId) return child;
  }
  SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
  return nullptr;
}

HOSTAPI int WINAPI GetDlgCtrlID(HWND handle) {
  Window* window = FindWindowRecord(handle);
  return window == nullptr ? 0 : window->id;
}

HOSTAPI LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int controlId, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  HWND control = GetDlgItem(dialog, controlId);
  return control == nullptr ? 0 : SendMessageA(control, message, wParam, lParam);
}

HOSTAPI BOOL WINAPI SetDlgItemTextA(HWND dialog, int controlId, LPCSTR text) {
  HWND control = GetDlgItem(dialog, controlId);
  return control != nullptr && SetWindowTextA(control, text);
}

HOSTAPI UINT WINAPI GetDlgItemTextA(HWND dialog, int controlId, LPSTR text, int size) {
  if (text != nullptr && size > 0) text[0] = '\0';
  HWND control = GetDlgItem(dialog, controlId);
  return control == nullptr ? 0 : UINT(GetWindowTextA(control, text, size));
}

HOSTAPI BOOL WINAPI SetDlgItemInt(HWND dialog, int controlId, UINT value, BOOL isSigned) {
  char text[16];
  snprintf(text, sizeof text, isSigned ? "%d" : "%u", isSigned ? int(value) : value);
  return SetDlgItemTextA(dialog, controlId, text);
}

HOSTAPI UINT WINAPI GetDlgItemInt(HWND dialog, int controlId, BOOL* translated, BOOL isSigned) {
  if (translated != nullptr) *translated = FALSE;
  char text[64];
  HWND control = GetDlgItem(dialog, controlId);
  if (control == nullptr) return 0;
  int length = GetWindowTextA(control, text, sizeof text);
  if (length >= int(sizeof text) - 1) return 0;  // longer than any number
  const char* at = text;
  while (*at == ' ') ++at;
  bool negative = false;
  if (isSigned && (*at == '-' || *at == '+')) negative = *at++ == '-';
  if (*at < '0' || *at > '9') return 0;
  unsigned long long value = 0;
  for (; *at >= '0' && *at <= '9'; ++at) {
    value = value * 10 + unsigned(*at - '0');
    if (value > 0xFFFFFFFFull) return 0;
  }
  while (*at == ' ') ++at;
  if (*at != '\0') return 0;
  if (isSigned && value > (negative ? 0x80000000ull : 0x7FFFFFFFull)) return 0;
  if (translated != nullptr) *translated = TRUE;
  return negative ? UINT(0u - UINT(value)) : UINT(value);
}

HOSTAPI BOOL WINAPI CheckDlgButton(HWND dialog, int buttonId, UINT check) {
  HWND button = GetDlgItem(dialog, buttonId);
  if (button == nullptr) return FALSE;
  SendMessageA(button, BM_SETCHECK, check, 0);
  return TRUE;
}

HOSTAPI UINT WINAPI IsDlgButtonChecked(HWND dialog, int buttonId) {
  return UINT(SendDlgItemMessageA(dialog, buttonId, BM_GETCHECK, 0, 0));
}

HOSTAPI BOOL WINAPI CheckRadioButton(HWND dialog, int firstButtonId, int lastButtonId, int checkButtonId) {
  Window* window = FindWindowRecord(dialog);
  if (window == nullptr) return FALSE;
  std::vector<HWND> children = window->children;
  for (HWND child : children) {
    Window* control = PeekWindowRecord(child);
    if (control == nullptr || control->id < firstButtonId || control->id > lastButtonId) continue;
    SendMessageA(child, BM_SETCHECK, control->id == checkButtonId ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  return TRUE;
}

HOSTAPI BOOL WINAPI MapDialogRect(HWND dialog, LPRECT rect) {
  Window* window = FindWindowRecord(dialog);
  if (window == nullptr || rect == nullptr || window->kind != WindowClass::Dialog) return FALSE;
  rect->left = ScaleRounded(rect->left, kDialogBaseX, 4);
  rect->right = ScaleRounded(rect->right, kDialogBaseX, 4);
  rect->top = ScaleRounded(rect->top, kDialogBaseY, 8);
  rect->bottom = ScaleRounded(rect->bottom, kDialogBaseY, 8);
  return TRUE;
}

HOSTAPI BOOL WINAPI IsDialogMessageA(HWND dialog, LPMSG message) {
  if (message == nullptr || PeekWindowRecord(dialog) == nullptr) return FALSE;
  if (message->hwnd != dialog && !IsDescendant(dialog, message->hwnd)) return FALSE;
  if (message->message == WM_KEYDOWN) {
    switch (message->wParam) {
      case VK_TAB: FocusNextTabStop(dialog); return TRUE;
      case VK_ESCAPE:
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
        return TRUE;
      case VK_RETURN: {
        // The focused push button answers Return, else the default button.
        HWND button = GetFocus();
        if (!IsPushButton(button) || !IsDescendant(dialog, button)) {
          int id = LOWORD(SendMessageA(dialog, DM_GETDEFID, 0, 0));
          if (id == 0) id = IDOK;
          button = GetDlgItem(dialog, id);
          if (button == nullptr) {
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
            return TRUE;
          }
        }
        if (IsWindowEnabled(button) && IsWindowVisible(button)) NotifyParent(*PeekWindowRecord(button), BN_CLICKED);
        return TRUE;
      }
      default: break;
    }
  }
  DispatchMessageA(message);
  return TRUE;
}

// Testing controls.

HOSTAPI BOOL HostDialogEnded(HWND dialog, INT_PTR* result) {
  Window* window = PeekWindowRecord(dialog);
  if (window == nullptr || !window->ended) return FALSE;
  if (result != nullptr) *result = window->endResult;
  return TRUE;
}
