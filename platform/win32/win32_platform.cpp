// Win32Platform: process services, the window's life, the message loop and
// the state of the controls. Control creation and painting live in
// win32_controls.cpp, the main window procedure in win32_main_window.cpp,
// power and shell calls in win32_power_shell.cpp.
#include "platform/win32/win32_platform.h"

#include <ole2.h>

#include <string>
#include <vector>

#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_restyle.h"
#include "platform/win32/win32_text.h"
#include "res/resource.h"

namespace dv {

Win32Platform::Win32Platform(HINSTANCE instance)
    : instance_(instance),
      gui_font_(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))) {}

Win32Platform::~Win32Platform() {
  // The window normally is gone by now (its WM_NCDESTROY already freed the
  // brushes); this covers an early exit with the window still standing.
  if (main_ != nullptr && IsWindow(main_)) DestroyWindow(main_);
  delete_brushes();
  if (token_ != nullptr) CloseHandle(token_);
}

// --- Process services -----------------------------------------------------

void Win32Platform::ole_initialize() {
  // The program works the same without OLE; a failure is not worth a word.
  (void)OleInitialize(nullptr);
}

void Win32Platform::ole_uninitialize() { OleUninitialize(); }

void Win32Platform::enter_executable_folder() {
  // The path in UTF-16: a folder name outside any code page works too.
  std::vector<wchar_t> path(MAX_PATH);
  DWORD n = 0;
  for (;;) {
    n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return;
    if (n < path.size()) break;
    path.resize(path.size() * 2);  // truncated: try a bigger buffer
  }
  std::size_t end = n;
  while (end > 0 && path[end - 1] != L'\\') --end;
  if (end == 0) return;
  // The folder ends before the last backslash, except that of a drive's
  // root: "C:\Dovrane.exe" is in "C:\", not in "C:" (drive C's current
  // folder).
  const bool drive_root = end == 3 && path[1] == L':';
  path[drive_root ? end : end - 1] = L'\0';
  // A folder we cannot enter just leaves the current directory as it was.
  (void)SetCurrentDirectoryW(path.data());
}

void Win32Platform::exit_process(int code) {
  ExitProcess(static_cast<UINT>(code));
}

// --- The window -----------------------------------------------------------

void Win32Platform::set_event_sink(EventSink* sink) { sink_ = sink; }

bool Win32Platform::create_window(const WindowDesc& desc) {
  const win32::WideText class_name =
      win32::widen(desc.class_name.empty() ? "WTWindow" : desc.class_name);
  if (!register_main_class(class_name.c_str()) || !register_control_classes()) return false;

  // Fixed single frame: no WS_THICKFRAME, no WS_MAXIMIZEBOX. The place is
  // set when the window is shown, centred by the caller.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX |
                      WS_CLIPCHILDREN;
  HWND hwnd = CreateWindowExW(0, class_name.c_str(), win32::widen(desc.title).c_str(), style,
                              0, 0, desc.width, desc.height, nullptr, nullptr, instance_, this);
  if (hwnd == nullptr) return false;
  main_ = hwnd;

  // The program icon, at the sizes the system wants for the caption and the
  // task bar.
  if (HICON big = static_cast<HICON>(LoadImageW(
          instance_, MAKEINTRESOURCEW(IDI_DOVRANE), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
          GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR))) {
    SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  }
  if (HICON small = static_cast<HICON>(LoadImageW(
          instance_, MAKEINTRESOURCEW(IDI_DOVRANE), IMAGE_ICON,
          GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
          LR_DEFAULTCOLOR))) {
    SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  }
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(gui_font_), FALSE);
  return true;
}

void Win32Platform::show_control(int id) {
  if (HWND h = hwnd_of(id)) ShowWindow(h, SW_SHOWNA);
}

void Win32Platform::show_window(int x, int y) {
  if (main_ == nullptr) return;
  SetWindowPos(main_, nullptr, x, y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(main_, SW_SHOW);
  UpdateWindow(main_);
}

bool Win32Platform::window_alive() const {
  return main_ != nullptr && IsWindow(main_);
}

ScreenSize Win32Platform::screen_size() const {
  return ScreenSize{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

int Win32Platform::system_dpi() const { return win32::system_dpi(); }

void Win32Platform::destroy_window() {
  if (window_alive()) DestroyWindow(main_);
}

void Win32Platform::close_window() {
  if (window_alive()) SendMessageW(main_, WM_CLOSE, 0, 0);
}

int Win32Platform::restyle(int scheme) {
  // The restyling belongs to the thread, not to the window: it also takes
  // the buttons of the message boxes shown later (win32_restyle.cpp), which
  // also keeps the scheme.
  // Every edit box of ours has a border (client edge or thin line), whatever
  // the edit control has since made of its style.
  for (const auto& c : controls_) {
    if (c != nullptr && c->kind == ControlKind::EditBox) win32::note_bordered_edit(c->hwnd);
  }
  return win32::restyle_thread(scheme);
}

void Win32Platform::post_destroy_request() {
  if (main_ != nullptr) PostMessageW(main_, kDestroyRequestMessage, 0, 0);
}

void Win32Platform::post_quit(int code) { PostQuitMessage(code); }

// --- The message loop -----------------------------------------------------

// The window's own key and mouse handling, applied before a message reaches
// the control it is addressed to. True when the message must not be
// dispatched.
bool Win32Platform::pre_translate(const MSG& msg) {
  if (sink_ == nullptr || main_ == nullptr) return false;

  if (msg.message == WM_LBUTTONDOWN) {
    const int id = id_of(msg.hwnd);
    if (id < 0) return false;
    int keys = 0;
    if (GetKeyState(VK_CONTROL) < 0) keys += 1;
    if (GetKeyState(VK_SHIFT) < 0) keys += 2;
    if (GetKeyState(VK_MENU) < 0) keys += 4;
    // Client coordinates are signed 16-bit values in lParam.
    const int x = static_cast<short>(LOWORD(msg.lParam));
    const int y = static_cast<short>(HIWORD(msg.lParam));
    return !sink_->on_left_button_down(id, x, y, keys);
  }

  if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
    // A disabled control never has the focus, but a key message can still
    // be addressed to it; the window's key rules leave such messages alone.
    const bool ours =
        msg.hwnd == main_ ||
        (GetParent(msg.hwnd) == main_ && IsWindowEnabled(msg.hwnd));
    if (!ours) return false;
    Key key = Key::Other;
    switch (msg.wParam) {
      case VK_TAB: key = Key::Tab; break;
      case VK_ESCAPE: key = Key::Escape; break;
      case VK_RETURN: key = Key::Enter; break;
      case VK_F1: key = Key::F1; break;
      default: break;
    }
    // Swallowed keys are not translated either, so a consumed Enter makes
    // no WM_CHAR for an edit box to beep at, and F1 asks for no help.
    return sink_->on_key(key, GetKeyState(VK_SHIFT) < 0);
  }
  return false;
}

int Win32Platform::run_message_loop() {
  if (!window_alive()) return 0;
  MSG msg;
  for (;;) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(msg.wParam);  // WM_QUIT
    if (got == -1) return 0;  // no message can be fetched any more
    if (pre_translate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// --- Control state --------------------------------------------------------

Win32Platform::Control* Win32Platform::control_of(int id) const {
  if (id < 0 || static_cast<std::size_t>(id) >= controls_.size()) return nullptr;
  return controls_[static_cast<std::size_t>(id)].get();
}

HWND Win32Platform::hwnd_of(int id) const {
  const Control* c = control_of(id);
  return c != nullptr ? c->hwnd : nullptr;
}

int Win32Platform::id_of(HWND hwnd) const {
  if (hwnd == nullptr || main_ == nullptr || GetParent(hwnd) != main_) return -1;
  const int id = GetDlgCtrlID(hwnd) - kChildIdBase;
  const Control* c = control_of(id);
  return (c != nullptr && c->hwnd == hwnd) ? id : -1;
}

std::string Win32Platform::get_text(int id) {
  // Asked anew at every read: the user may have typed since the last one.
  HWND h = hwnd_of(id);
  return h != nullptr ? win32::window_text(h) : std::string();
}

void Win32Platform::set_text(int id, const std::string& text) {
  HWND h = hwnd_of(id);
  if (h == nullptr) return;
  SetWindowTextW(h, win32::widen(text).c_str());
  // The control tells itself that its text changed, as the field store has
  // always done; nothing listens, but it is part of writing a text.
  SendMessageW(h, WM_COMMAND, MAKEWPARAM(0, EN_CHANGE), reinterpret_cast<LPARAM>(h));
}

void Win32Platform::set_enabled(int id, bool enabled) {
  if (HWND h = hwnd_of(id)) EnableWindow(h, enabled ? TRUE : FALSE);
}

bool Win32Platform::is_enabled(int id) const {
  HWND h = hwnd_of(id);
  return h != nullptr && IsWindowEnabled(h);
}

bool Win32Platform::is_visible(int id) const {
  HWND h = hwnd_of(id);
  return h != nullptr && IsWindowVisible(h);
}

int Win32Platform::focused_control() const { return id_of(GetFocus()); }

void Win32Platform::set_focus(int id) {
  if (HWND h = hwnd_of(id)) SetFocus(h);
}

void Win32Platform::set_timer(int id, int ms) {
  if (HWND h = hwnd_of(id)) SetTimer(h, kTimerEventId, static_cast<UINT>(ms), nullptr);
}

void Win32Platform::kill_timer(int id) {
  if (HWND h = hwnd_of(id)) KillTimer(h, kTimerEventId);
}

// --- Message boxes and time -----------------------------------------------

int Win32Platform::message_box(const std::string& text, const std::string& caption,
                               unsigned flags) {
  return MessageBoxW(nullptr, win32::widen(text).c_str(), win32::widen(caption).c_str(), flags);
}

LocalTime Win32Platform::local_time() const {
  SYSTEMTIME st;
  GetLocalTime(&st);
  // The program's clock has whole seconds: wMilliseconds is dropped.
  return LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

}  // namespace dv
