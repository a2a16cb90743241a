// Scenarios about what the window looks like on the screen and how it takes
// keyboard and mouse input: pixels of the restyled buttons and edit boxes,
// labels, link and clock; Tab order and Esc; a press on the link; repaints
// under stress.
//
// Pixels are read from the screen (a BitBlt of the desktop DC), at places
// computed from each control's window rectangle.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/e2e/harness.h"
#include "tests/e2e/scenarios.h"

namespace e2e {

namespace {

// ---------------------------------------------------------------------------
// Screen pixels

struct Rgb {
  int r = 0, g = 0, b = 0;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

Rgb rgb_of(COLORREF c) { return {GetRValue(c), GetGValue(c), GetBValue(c)}; }

std::string text_of(const Rgb& c) { return "(" + num(c.r) + "," + num(c.g) + "," + num(c.b) + ")"; }

int distance(const Rgb& a, const Rgb& b) {
  int d = 0;
  d = std::max(d, std::abs(a.r - b.r));
  d = std::max(d, std::abs(a.g - b.g));
  d = std::max(d, std::abs(a.b - b.b));
  return d;
}

// One copy of the whole screen.
class Screen {
 public:
  bool take() {
    width_ = GetSystemMetrics(SM_CXSCREEN);
    height_ = GetSystemMetrics(SM_CYSCREEN);
    pixels_.assign(static_cast<size_t>(width_) * height_, 0);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width_;
    bi.bmiHeader.biHeight = -height_;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (bitmap && bits) {
      HGDIOBJ old = SelectObject(memory, bitmap);
      ok = BitBlt(memory, 0, 0, width_, height_, screen, 0, 0, SRCCOPY | CAPTUREBLT) != FALSE;
      GdiFlush();
      SelectObject(memory, old);
      if (ok) std::memcpy(pixels_.data(), bits, pixels_.size() * sizeof(DWORD));
    }
    if (bitmap) DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
  }
  Rgb at(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return {-1, -1, -1};
    DWORD p = pixels_[static_cast<size_t>(y) * width_ + x];
    return {static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF), static_cast<int>(p & 0xFF)};
  }
  // Pixels of colour c (within tol) inside the screen rectangle r.
  int count(const RECT& r, const Rgb& c, int tol = 0) const {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y) {
      for (int x = r.left; x < r.right; ++x) n += distance(at(x, y), c) <= tol ? 1 : 0;
    }
    return n;
  }

 private:
  int width_ = 0, height_ = 0;
  std::vector<DWORD> pixels_;
};

RECT screen_rect(HWND h) {
  RECT r{};
  GetWindowRect(h, &r);
  return r;
}

// One pixel of a control, at (x, y) from its outer top-left corner; x or y
// below 0 count from the right or bottom edge (-1 is the last column).
struct PixelProbe {
  const char* control;
  const char* what;
  int x, y;
  Rgb want;
  int tol;  // 0 for solid lines, a few steps for gradients
};

// Looks at the probes, taking fresh screenshots for up to 3 s until all of
// them match (the program may still be painting), then reports each.
void check_pixels(const Window& w, const std::string& prefix, const std::vector<PixelProbe>& probes) {
  Screen screen;
  auto place = [&](const PixelProbe& p, int* sx, int* sy) {
    RECT r = screen_rect(w.control(p.control));
    *sx = p.x >= 0 ? r.left + p.x : r.right + p.x;
    *sy = p.y >= 0 ? r.top + p.y : r.bottom + p.y;
  };
  auto all_match = [&] {
    if (!screen.take()) return false;
    for (const PixelProbe& p : probes) {
      int x = 0, y = 0;
      place(p, &x, &y);
      if (distance(screen.at(x, y), p.want) > p.tol) return false;
    }
    return true;
  };
  wait_until(all_match, 3000);
  for (const PixelProbe& p : probes) {
    int x = 0, y = 0;
    place(p, &x, &y);
    Rgb seen = screen.at(x, y);
    std::string where = std::string(p.control) + " " + p.what + " at (" + num(p.x) + "," + num(p.y) + ")";
    check(distance(seen, p.want) <= p.tol, prefix + where,
          text_of(p.want) + (p.tol ? " +-" + num(p.tol) : " exactly"),
          text_of(seen) + " at screen (" + num(x) + "," + num(y) + ")");
  }
}

// Waits up to timeout_ms for at least one pixel of colour c inside the
// control; returns how many there are then.
int wait_for_colour(HWND control, const Rgb& c, unsigned timeout_ms) {
  Screen screen;
  int n = 0;
  wait_until(
      [&] {
        n = screen.take() ? screen.count(screen_rect(control), c) : 0;
        return n > 0;
      },
      timeout_ms);
  return n;
}

Rgb button_face() { return rgb_of(GetSysColor(COLOR_BTNFACE)); }

// "button face less N": the colour value 0x00BBGGRR minus N as one number.
Rgb face_less(DWORD n) { return rgb_of(GetSysColor(COLOR_BTNFACE) - n); }

void bring_to_front(const Window& w) {
  SetForegroundWindow(w.main);
  sync_with(w.main);
}

// ---------------------------------------------------------------------------
// Keyboard

HWND focus_of(HWND main) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

std::string name_of(const Window& w, HWND h) {
  if (!h) return "nothing";
  if (h == w.main) return "the window";
  for (int i = 0; i < kControlCount; ++i) {
    if (w.control(kControls[i].name) == h) return kControls[i].name;
  }
  return class_name(h) + " " + quoted(window_text(h));
}

void press_key(WORD vk, bool shift) {
  std::vector<INPUT> in;
  auto key = [&](WORD k, bool up) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = k;
    i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    in.push_back(i);
  };
  if (shift) key(VK_SHIFT, false);
  key(vk, false);
  key(vk, true);
  if (shift) key(VK_SHIFT, true);
  SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

// Presses a key and waits (up to 2 s) for the focus to leave `from`.
HWND press_and_follow(const Window& w, WORD vk, bool shift, HWND from) {
  press_key(vk, shift);
  HWND now = from;
  wait_until([&] { return (now = focus_of(w.main)) != from; }, 2000);
  return now;
}

// ---------------------------------------------------------------------------
// Mouse

// Moves the pointer like a mouse does (SetCursorPos alone sends the window
// no WM_MOUSEMOVE under Wine).
void move_pointer(int x, int y) {
  INPUT i{};
  i.type = INPUT_MOUSE;
  i.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  i.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  i.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &i, sizeof i);
}

// Under Wine an absolute move can be followed, some milliseconds later, by
// one more WM_MOUSEMOVE at the previous place (the X server's report of the
// warp). A second move one pixel on, after that has passed, leaves the
// pointer where asked, as a hand on the mouse would.
void rest_pointer(int x, int y) {
  move_pointer(x, y);
  Sleep(200);
  move_pointer(x + 1, y);
}

void mouse_button(DWORD flags) {
  INPUT i{};
  i.type = INPUT_MOUSE;
  i.mi.dwFlags = flags;
  SendInput(1, &i, sizeof i);
}

POINT centre_of(HWND h) {
  RECT r = screen_rect(h);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The looks of the two restyled buttons in their current states.
std::vector<PixelProbe> button_probes(bool first_focused) {
  const Rgb frame{0, 60, 116};
  std::vector<PixelProbe> probes{
      {"按钮2", "frame line", 1, 12, frame, 0},
      {"按钮2", "outer frame", 0, 12, button_face(), 0},
      {"按钮2", "rounded corner", 1, 1, button_face(), 0},
      {"按钮2", "corner line", 1, 2, frame, 0},
      {"按钮2", "ring top (normal)", 24, 2, {255, 255, 255}, 8},
      {"按钮2", "ring bottom (normal)", 24, -3, {226, 223, 214}, 8},
  };
  if (first_focused) {
    probes.insert(probes.begin(), {{"按钮1", "frame line", 1, 12, frame, 0},
                                   {"按钮1", "ring top (focused)", 24, 2, {206, 231, 255}, 8},
                                   {"按钮1", "ring bottom (focused)", 24, -3, {105, 130, 238}, 8}});
  }
  return probes;
}

// Starts the program, brings its window to the front and checks that the
// schedule button has the focus, as it must right after start.
bool launch_in_front(Process& app, const std::string& exe, Window& w, HWND* focus) {
  if (!launch(app, exe, w)) return false;
  bring_to_front(w);
  wait_until([&] { return (*focus = focus_of(w.main)) == w.control("按钮1"); }, 2000);
  check(*focus == w.control("按钮1"), "focus at start", "按钮1", name_of(w, *focus));
  return true;
}

}  // namespace

void scenario_pixels(const std::string& exe) {
  Process app;
  Window w;
  HWND focus = nullptr;
  if (!launch_in_front(app, exe, w, &focus)) return;
  Screen probe;
  if (!probe.take()) {
    check(false, "screen can be read", "BitBlt from the desktop DC", "failed");
    return;
  }
  Rgb face = button_face();
  print_line("button face " + text_of(face));

  check_pixels(w, "", button_probes(true));
  check_pixels(w, "", {
      // Restyled edit frames: grey for disabled boxes, lilac for enabled.
      {"编辑框5", "outer frame (disabled)", 0, 0, face_less(0x202020), 0},
      {"编辑框5", "inner frame (disabled)", 1, 1, face, 0},
      {"编辑框1", "outer frame", 0, 0, {198, 197, 215}, 0},
      {"编辑框1", "inner frame", 1, 1, rgb_of(GetSysColor(COLOR_WINDOW)), 0},
      // Labels fill with button face.
      {"标签3", "background", -1, 0, face, 0},
      {"标签4", "background", -1, 0, face, 0},
  });

  // The link's caption, then the same while the pointer is over it.
  HWND link = w.control("超级链接框1");
  const Rgb link_colour{0, 96, 192}, hover_colour{144, 0, 255};
  int plain = wait_for_colour(link, link_colour, 3000);
  check(plain > 0, "link caption colour", "pixels of (0,96,192)", num(plain) + " pixels");
  POINT c = centre_of(link);
  rest_pointer(c.x, c.y);
  // Judged on one screenshot: the whole caption in the hover colour.
  Screen shot;
  int hovered = 0, left_plain = 0;
  auto hover_shown = [&] {
    if (!shot.take()) return false;
    hovered = shot.count(screen_rect(link), hover_colour);
    left_plain = shot.count(screen_rect(link), link_colour);
    return hovered > 0 && left_plain == 0;
  };
  wait_until(hover_shown, 3000);
  check(hovered > 0 && left_plain == 0, "link caption with the pointer over it",
        "pixels of (144,0,255), none of (0,96,192)",
        num(hovered) + " of (144,0,255), " + num(left_plain) + " of (0,96,192)");
  // It stays so while the pointer rests there.
  Sleep(700);
  hover_shown();
  check(hovered > 0 && left_plain == 0, "link caption 0.7 s later, pointer still over it",
        "pixels of (144,0,255), none of (0,96,192)",
        num(hovered) + " of (144,0,255), " + num(left_plain) + " of (0,96,192)");
  // Off the link onto the line below it.
  POINT off = centre_of(w.control("标签9"));
  rest_pointer(off.x, off.y);
  int back = wait_for_colour(link, link_colour, 3000);
  shot.take();
  check(back > 0, "link caption after the pointer left", "pixels of (0,96,192)",
        num(back) + " of (0,96,192), " + num(shot.count(screen_rect(link), hover_colour)) + " of (144,0,255)");
  move_pointer(5, 5);

  // The clock text is pure green.
  HWND clock = w.control("编辑框4");
  wait_until([&] { return !window_text(clock).empty(); }, 3000);
  int green = wait_for_colour(clock, {0, 255, 0}, 3000);
  check(green > 0, "clock text colour", "pixels of (0,255,0)", num(green) + " pixels");

  close_and_check_exit(app, w, "WM_CLOSE", WM_CLOSE, 0);
}

void scenario_keys(const std::string& exe) {
  Process app;
  Window w;
  HWND focus = nullptr;
  if (!launch_in_front(app, exe, w, &focus)) return;

  std::string visited;
  for (int i = 0; i < 5; ++i) {
    focus = press_and_follow(w, VK_TAB, false, focus);
    visited += (i ? " " : "") + name_of(w, focus);
  }
  check_text("Tab five times from the start", "编辑框1 编辑框2 编辑框3 按钮2 按钮1", visited);

  if (focus == w.control("按钮1")) {
    focus = press_and_follow(w, VK_TAB, true, focus);
    check_text("Shift+Tab from 按钮1", "按钮2", name_of(w, focus));
  } else {
    check(false, "Shift+Tab from 按钮1", "按钮2", "not run: the focus is on " + name_of(w, focus));
  }

  press_key(VK_ESCAPE, false);
  check_exit_zero(app, "Esc");
}

void scenario_link(const std::string& exe) {
  const std::string site = "https://www.lumtrek.com/";
  const int opened_before = times_opened(site);
  Process app;
  Window w;
  if (!launch(app, exe, w)) return;
  bring_to_front(w);
  HWND link = w.control("超级链接框1");
  POINT c = centre_of(link);
  move_pointer(c.x, c.y);
  mouse_button(MOUSEEVENTF_LEFTDOWN);
  mouse_button(MOUSEEVENTF_LEFTUP);
  // The shell call is made while the press is handled.
  sync_with(w.main);
  Sleep(500);
  sync_with(w.main);
  check(app.running(), "program running after the press", "running", app.running() ? "running" : "ended");
  move_pointer(5, 5);
  close_and_check_exit(app, w, "WM_CLOSE", WM_CLOSE, 0);

  // One press, one shell call: an owner only if a window is titled
  // "Microsoft Internet Explorer" (none is), the verb "open", the site,
  // SW_SHOWNORMAL.
  check_traced("the owner is looked up by its title", app.pid(), "FindWindowExW",
               {"FindWindowExW(00000000,00000000,00000000,L\"Microsoft Internet Explorer\")"});
  check_traced("one press, one shell call", app.pid(), "ShellExecuteW",
               {"ShellExecuteW(00000000,L\"open\",L\"" + site + "\",00000000,00000000,00000001)"});
  // winebrowser hands the address to the recording command once.
  wait_until([&] { return times_opened(site) > opened_before; }, 15000);
  Sleep(1000);  // a second, late copy of the address would show up here
  const int opened = times_opened(site) - opened_before;
  check(opened == 1, "the recording browser received " + site + " once", "once",
        num(opened) + " time(s)");
}

void scenario_stress(const std::string& exe) {
  Process app;
  Window w;
  if (!launch(app, exe, w)) return;
  bring_to_front(w);
  HWND button = w.control("按钮2");
  check_pixels(w, "before: ", button_probes(false));

  DWORD gdi_before = GetGuiResources(app.handle(), GR_GDIOBJECTS);
  constexpr int kRounds = 2000;
  int answered = 0;
  const unsigned long long started = now_ms();
  for (int i = 0; i < kRounds; ++i) {
    DWORD_PTR r = 0;
    const struct {
      UINT msg;
      WPARAM wp;
      LPARAM lp;
    } steps[] = {{WM_MOUSEMOVE, 0, MAKELPARAM(10, 10)},
                 {WM_MOUSELEAVE, 0, 0},
                 {BM_SETSTATE, TRUE, 0},
                 {BM_SETSTATE, FALSE, 0}};
    bool ok = true;
    for (const auto& s : steps) {
      ok = ok && SendMessageTimeoutA(button, s.msg, s.wp, s.lp, SMTO_ABORTIFHUNG, 3000, &r) != 0;
    }
    if (!ok) break;
    ++answered;
  }
  unsigned long long took = now_ms() - started;
  check(answered == kRounds, "hover, leave, press, release 2000 times", "2000 rounds answered",
        num(answered) + " rounds in " + num(static_cast<long long>(took)) + " ms");
  sync_with(w.main);
  DWORD gdi_after = GetGuiResources(app.handle(), GR_GDIOBJECTS);
  if (gdi_before == 0 && gdi_after == 0) {
    print_line("info: GetGuiResources(GR_GDIOBJECTS) returns 0 on this system; GDI object count not judged");
  } else {
    check(gdi_after <= gdi_before + 8, "GDI objects after the repaints", "at most " + num(gdi_before + 8L),
          num(static_cast<long>(gdi_before)) + " before, " + num(static_cast<long>(gdi_after)) + " after");
  }
  check_pixels(w, "after: ", button_probes(false));
  check(app.running(), "program running after the repaints", "running", app.running() ? "running" : "ended");
  close_and_check_exit(app, w, "WM_CLOSE", WM_CLOSE, 0);
}

void scenario_show_countdown(const std::string& exe, const std::string& stop_file) {
  Process app;
  Window w;
  if (!launch(app, exe, w)) return;
  if (!schedule_checked(app, w, "0", "1", "30")) return;
  HWND secs = w.control("编辑框7");
  bool ticked = wait_until([&] { return window_text(secs) != "30"; }, 3000);
  check(ticked, "countdown running", "编辑框7 below 30 within 3 s", quoted(window_text(secs)));
  RedrawWindow(w.main, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  sync_with(w.main);
  hold_for_screenshot(w, stop_file);
  app.kill();
}

}  // namespace e2e
