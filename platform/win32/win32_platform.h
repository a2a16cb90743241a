// The Windows backend of dv::Platform: real USER32/GDI32/ADVAPI32/SHELL32
// calls. The program's texts are GBK; the backend uses the W forms of the
// calls and converts at its edge (win32_text.h), so the window reads the
// same on a Windows of any code page.
//
// All state of the backend lives in one Win32Platform; window handles, the
// token and the brushes never leave it. The window procedures are static
// members that find their Win32Platform (or their control record) through the
// create parameters handed over in WM_NCCREATE.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace dv {

class Win32Platform final : public Platform {
 public:
  explicit Win32Platform(HINSTANCE instance);
  ~Win32Platform() override;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  // Process services
  void ole_initialize() override;
  void ole_uninitialize() override;
  void enter_executable_folder() override;
  [[noreturn]] void exit_process(int code) override;

  // The window and its controls
  void set_event_sink(EventSink* sink) override;
  bool create_window(const WindowDesc& desc) override;
  bool create_control(int id, const ControlDesc& desc) override;
  void show_control(int id) override;
  void show_window(int x, int y) override;
  bool window_alive() const override;
  ScreenSize screen_size() const override;
  int system_dpi() const override;
  void destroy_window() override;
  void close_window() override;
  int restyle(int scheme) override;
  void post_destroy_request() override;
  void post_quit(int code) override;
  int run_message_loop() override;

  // Control state
  std::string get_text(int id) override;
  void set_text(int id, const std::string& text) override;
  void set_enabled(int id, bool enabled) override;
  bool is_enabled(int id) const override;
  bool is_visible(int id) const override;
  int focused_control() const override;
  void set_focus(int id) override;
  void set_timer(int id, int ms) override;
  void kill_timer(int id) override;

  // Message boxes and time
  int message_box(const std::string& text, const std::string& caption,
                  unsigned flags) override;
  LocalTime local_time() const override;

  // Power
  unsigned os_platform_id() override;
  bool open_process_token() override;
  unsigned enable_privilege(const char* name) override;
  bool exit_windows(unsigned flags, unsigned reason) override;

  // Shell
  std::uintptr_t find_top_window(const char* title) override;
  void shell_execute(std::uintptr_t owner, const char* verb, const char* file,
                     int show) override;

 private:
  // What the backend keeps for one control. Records never move (they are
  // held by unique_ptr), so a window can carry a pointer to its record.
  struct Control {
    Win32Platform* owner = nullptr;
    int id = -1;
    ControlKind kind = ControlKind::Label;
    HWND hwnd = nullptr;
    Colour text_colour;
    Colour background;
    Colour hover_colour;
    HBRUSH background_brush = nullptr;  // shared, owned by the brush cache
    HFONT font = nullptr;               // what WM_SETFONT gave our own classes
    bool hover = false;                 // HyperLinker

    // Single-line edit boxes, whose text is centred vertically.
    WNDPROC edit_proc = nullptr;  // the system's edit procedure we wrap
    int line_height = 0;          // height of "W" in the box's font
    int frame_top = 0;            // border thickness above the inner area
    int frame_bottom = 0;         // and below it
  };

  // Private message that carries a destroy request to the main window.
  static constexpr UINT kDestroyRequestMessage = WM_APP + 1;
  // The one system timer of a Timer control's window.
  static constexpr UINT_PTR kTimerEventId = 1000;
  // Child window ids are 100 + control id, so they never collide with the
  // ids the system itself uses (IDOK, IDCANCEL, ...).
  static constexpr int kChildIdBase = 100;

  // win32_controls.cpp
  bool register_control_classes();
  HWND create_edit_box(Control& c, const ControlDesc& desc, DWORD style);
  HWND create_own_control(Control& c, const ControlDesc& desc, DWORD style,
                          const wchar_t* class_name);
  HBRUSH brush_for(Colour colour);
  void delete_brushes();
  static COLORREF colorref(Colour colour);
  static LRESULT CALLBACK edit_box_proc(HWND, UINT, WPARAM, LPARAM);
  static void measure_line(Control& c);
  static LRESULT edit_box_calc_size(Control& c, HWND hwnd, WPARAM wp, LPARAM lp);
  static void edit_box_paint_bands(const Control& c, HWND hwnd);
  static LRESULT CALLBACK label_proc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK hyper_linker_proc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK timer_proc(HWND, UINT, WPARAM, LPARAM);
  static void paint_caption(const Control& c, HWND hwnd, Colour text, UINT format);

  // win32_main_window.cpp
  bool register_main_class(const wchar_t* class_name);
  static LRESULT CALLBACK main_window_proc(HWND, UINT, WPARAM, LPARAM);
  LRESULT on_main_message(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT control_colours(HDC dc, HWND control);
  void main_window_gone();

  // Lookups between our ids and the system's handles.
  HWND hwnd_of(int id) const;
  Control* control_of(int id) const;
  int id_of(HWND hwnd) const;  // -1 when not one of our controls
  bool pre_translate(const MSG& msg);

  HINSTANCE instance_;
  EventSink* sink_ = nullptr;
  HWND main_ = nullptr;
  HFONT gui_font_ = nullptr;  // stock object: never deleted
  std::vector<std::unique_ptr<Control>> controls_;  // index: control id

  struct CachedBrush {
    COLORREF colour;
    HBRUSH brush;
  };
  std::vector<CachedBrush> brushes_;  // solid brushes we created ourselves

  HANDLE token_ = nullptr;
};

}  // namespace dv
