// The one interface between Dovrane's logic and the operating system.
//
// core/ and ui/ see only this header. Two backends implement it:
//   platform/win32/     real USER32/GDI32/ADVAPI32/SHELL32 calls (Dovrane.exe)
//   platform/headless/  an in-memory desktop with a virtual clock (host tests)
//
// Controls are named by a small integer id chosen by the caller (the index of
// the control in the window layout); handles of the system never leave a
// backend. All texts are GBK bytes, whatever the system's own code page;
// places and sizes are the screen's pixels.
#pragma once

#include <cstdint>
#include <string>

namespace dv {

enum class ControlKind { EditBox, Label, Button, HyperLinker, Timer };

// A colour as (red, green, blue), or the system's button face.
struct Colour {
  std::uint8_t r = 0, g = 0, b = 0;
  bool button_face = false;
  static constexpr Colour rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return Colour{r, g, b, false};
  }
  static constexpr Colour face() { return Colour{0, 0, 0, true}; }
};
inline bool operator==(Colour a, Colour b) {
  return a.button_face == b.button_face &&
         (a.button_face || (a.r == b.r && a.g == b.g && a.b == b.b));
}

enum class EditBorder { ClientEdge, ThinLine };
enum class TextAlign { Left, Centre };

// What a backend needs to create one control. Places are in the client area
// of the main window; sizes are outer sizes.
struct ControlDesc {
  ControlKind kind = ControlKind::Label;
  int x = 0, y = 0, width = 0, height = 0;
  std::string text;        // initial text or caption
  bool disabled = false;
  bool tab_stop = false;
  bool visible = true;
  bool multiline = false;  // EditBox: ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN
  TextAlign align = TextAlign::Left;
  EditBorder border = EditBorder::ClientEdge;
  Colour text_colour = Colour::rgb(0, 0, 0);
  Colour background = Colour::face();
  Colour hover_colour = Colour::rgb(0, 0, 0);  // HyperLinker only
};

struct WindowDesc {
  std::string title;
  std::string class_name;
  int width = 0, height = 0;  // outer size
};

struct ScreenSize { int width = 0, height = 0; };

// Local date and time of the system clock, to the whole second.
struct LocalTime {
  int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
};

// Keys that the window's own key handling looks at.
enum class Key { Tab, Escape, Enter, F1, Other };

// Message box flags and results used by the program.
namespace mb {
constexpr unsigned ok = 0x0000;
constexpr unsigned icon_error = 0x0010;
constexpr unsigned system_modal = 0x1000;
constexpr unsigned task_modal = 0x2000;
constexpr int id_ok = 1;
}  // namespace mb

// Power-off flags of ExitWindowsEx.
namespace ewx {
constexpr unsigned shutdown = 0x01;
constexpr unsigned force = 0x04;
constexpr unsigned poweroff = 0x08;
}  // namespace ewx
constexpr unsigned platform_win32_nt = 2;  // VER_PLATFORM_WIN32_NT
constexpr int show_normal = 1;             // SW_SHOWNORMAL

// Where the backend delivers what happens in the window. Everything is
// called from the message loop of the one thread, one call at a time.
class EventSink {
 public:
  virtual ~EventSink() = default;
  virtual void on_button_clicked(int id) = 0;
  virtual void on_timer(int id) = 0;
  // A left-button press addressed to a control, before the control itself
  // handles it. keys: 1 Ctrl, 2 Shift, 4 Alt, added. Returning false stops
  // the press from reaching the control.
  virtual bool on_left_button_down(int id, int x, int y, int keys) = 0;
  // A key press in the window, before the focused control sees it. Returns
  // true when the window's key handling consumed it.
  virtual bool on_key(Key key, bool shift) = 0;
  // The window became active and wants its focus placed.
  virtual void on_activate() = 0;
  // The window is being deactivated; the focused control is still focused.
  virtual void on_deactivate() = 0;
  // The private message posted by post_destroy_request() was delivered.
  virtual void on_destroy_request_message() = 0;
  // The window received its last message (WM_NCDESTROY).
  virtual void on_window_gone() = 0;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // --- Process services -------------------------------------------------
  virtual void ole_initialize() = 0;
  virtual void ole_uninitialize() = 0;
  // Makes the folder that holds the executable the current directory.
  virtual void enter_executable_folder() = 0;
  [[noreturn]] virtual void exit_process(int code) = 0;

  // --- The window and its controls ---------------------------------------
  virtual void set_event_sink(EventSink* sink) = 0;
  // Creates the main window, hidden. False when it cannot be created.
  virtual bool create_window(const WindowDesc& desc) = 0;
  // Creates one control, hidden, as a child of the main window.
  virtual bool create_control(int id, const ControlDesc& desc) = 0;
  virtual void show_control(int id) = 0;          // SW_SHOWNA
  virtual void show_window(int x, int y) = 0;     // moves, then SW_SHOW
  virtual bool window_alive() const = 0;
  virtual ScreenSize screen_size() const = 0;
  // The system's DPI (96 at 100 % display scaling), which the caller scales
  // the window's design pixels by before it creates anything.
  virtual int system_dpi() const = 0;
  virtual void destroy_window() = 0;              // DestroyWindow
  virtual void close_window() = 0;                // sends WM_CLOSE
  // The restyle operation for push buttons and edit boxes of this thread:
  // 1..3 install the look of that scheme, anything else removes it.
  virtual int restyle(int scheme) = 0;
  virtual void post_destroy_request() = 0;        // PostMessage, private message
  virtual void post_quit(int code) = 0;           // PostQuitMessage
  // Fetches and dispatches messages until WM_QUIT; returns its code.
  virtual int run_message_loop() = 0;

  // --- Control state ------------------------------------------------------
  virtual std::string get_text(int id) = 0;
  // Sets the window text, then the control sends itself EN_CHANGE.
  virtual void set_text(int id, const std::string& text) = 0;
  virtual void set_enabled(int id, bool enabled) = 0;   // EnableWindow
  virtual bool is_enabled(int id) const = 0;
  virtual bool is_visible(int id) const = 0;
  virtual int focused_control() const = 0;              // -1: none of ours
  virtual void set_focus(int id) = 0;
  // SetTimer(timer window, 1000, ms, no callback) and KillTimer.
  virtual void set_timer(int id, int ms) = 0;
  virtual void kill_timer(int id) = 0;

  // --- Message boxes and time ----------------------------------------------
  // A message box without owner window; returns the pressed button's id.
  virtual int message_box(const std::string& text, const std::string& caption,
                          unsigned flags) = 0;
  virtual LocalTime local_time() const = 0;

  // --- Power: the steps of a power-off request ----------------------------
  // dwPlatformId of GetVersionExA (structure size 148).
  virtual unsigned os_platform_id() = 0;
  // OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY).
  virtual bool open_process_token() = 0;
  // LookupPrivilegeValueA(NULL, name) and AdjustTokenPrivileges on the opened
  // token; returns GetLastError() read right after. Closes the token.
  virtual unsigned enable_privilege(const char* name) = 0;
  // ExitWindowsEx(flags, reason); true when accepted.
  virtual bool exit_windows(unsigned flags, unsigned reason) = 0;

  // --- Shell ----------------------------------------------------------------
  // FindWindowEx(NULL, NULL, NULL, title): an opaque handle, 0 for none.
  virtual std::uintptr_t find_top_window(const char* title) = 0;
  // ShellExecute(owner, verb, file, NULL, NULL, show); result ignored.
  virtual void shell_execute(std::uintptr_t owner, const char* verb,
                             const char* file, int show) = 0;
};

}  // namespace dv
