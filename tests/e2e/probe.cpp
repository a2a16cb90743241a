#include "tests/e2e/probe.h"

#include <tlhelp32.h>

#include <cstdio>
#include <cstring>

namespace e2e {

namespace {
constexpr UINT kAnswerTimeoutMs = 3000;
constexpr UINT kGbk = 936;

struct TopWindowQuery {
  DWORD pid;
  std::vector<HWND> found;
};

BOOL CALLBACK collect_visible_top(HWND hwnd, LPARAM lp) {
  auto* q = reinterpret_cast<TopWindowQuery*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == q->pid && IsWindowVisible(hwnd)) q->found.push_back(hwnd);
  return TRUE;
}

std::vector<HWND> visible_top_windows(DWORD pid) {
  TopWindowQuery q{pid, {}};
  EnumWindows(collect_visible_top, reinterpret_cast<LPARAM>(&q));
  return q.found;
}

std::wstring to_wide(UINT code_page, const std::string& text) {
  if (text.empty()) return std::wstring();
  const int in = static_cast<int>(text.size());
  int n = MultiByteToWideChar(code_page, 0, text.data(), in, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(code_page, 0, text.data(), in, &wide[0], n);
  return wide;
}

std::string from_wide(UINT code_page, const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int in = static_cast<int>(wide.size());
  int n = WideCharToMultiByte(code_page, 0, wide.data(), in, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(code_page, 0, wide.data(), in, &out[0], n, nullptr, nullptr);
  return out;
}

}  // namespace

std::wstring gbk_to_wide(const std::string& gbk) { return to_wide(kGbk, gbk); }
std::string wide_to_gbk(const std::wstring& wide) { return from_wide(kGbk, wide); }
std::string wide_to_utf8(const std::wstring& wide) { return from_wide(CP_UTF8, wide); }
std::wstring utf8_to_wide(const std::string& utf8) { return to_wide(CP_UTF8, utf8); }

std::string to_utf8(const std::string& gbk) {
  if (gbk.empty()) return gbk;
  std::string out = wide_to_utf8(gbk_to_wide(gbk));
  return out.empty() ? gbk : out;
}

unsigned long long now_ms() { return GetTickCount64(); }

std::wstring window_text_wide(HWND hwnd, bool* ok) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs,
                           &length)) {
    if (ok) *ok = false;
    return std::wstring();
  }
  std::vector<wchar_t> buffer(length + 64, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                           SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &copied)) {
    if (ok) *ok = false;
    return std::wstring();
  }
  if (ok) *ok = true;
  return std::wstring(buffer.data(), wcsnlen(buffer.data(), buffer.size()));
}

std::string window_text(HWND hwnd, bool* ok) { return wide_to_gbk(window_text_wide(hwnd, ok)); }

std::string window_text_ansi(HWND hwnd) {
  std::vector<char> buffer(4096, '\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                           SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &copied)) {
    return std::string();
  }
  return std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
}

bool set_window_text_wide(HWND hwnd, const std::wstring& text) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                             SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &result) != 0 &&
         result == TRUE;
}

bool set_window_text(HWND hwnd, const std::string& text) {
  return set_window_text_wide(hwnd, gbk_to_wide(text));
}

std::string class_name(HWND hwnd) {
  wchar_t buffer[256] = {};
  int n = GetClassNameW(hwnd, buffer, 256);
  return wide_to_gbk(std::wstring(buffer, n > 0 ? static_cast<size_t>(n) : 0));
}

bool sync_with(HWND hwnd) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &result) != 0;
}

std::vector<Child> children_of(HWND parent) {
  std::vector<Child> out;
  int index = 0;
  for (HWND h = GetWindow(parent, GW_CHILD); h && index < 1000; h = GetWindow(h, GW_HWNDNEXT)) {
    Child c;
    c.hwnd = h;
    c.cls = class_name(h);
    c.text = window_text(h);
    GetWindowRect(h, &c.rect);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&c.rect), 2);
    c.visible = IsWindowVisible(h) != FALSE;
    c.enabled = IsWindowEnabled(h) != FALSE;
    c.style = GetWindowLongW(h, GWL_STYLE);
    c.z_index = index++;
    out.push_back(c);
  }
  return out;
}

Process::~Process() { kill(); }

bool Process::start(const std::string& exe_path, std::string* error, bool wait_idle) {
  const std::wstring path = utf8_to_wide(exe_path);
  std::wstring folder = path;
  size_t slash = folder.find_last_of(L"\\/");
  folder = slash == std::wstring::npos ? std::wstring(L".") : folder.substr(0, slash);
  std::wstring command = L"\"" + path + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  auto create = [&] {
    return CreateProcessW(path.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &si, &info_) != FALSE;
  };
  bool created = create();
  // Under load Wine now and then fails to start a process at all
  // (ERROR_INTERNAL_ERROR, before any of the program runs); that says
  // nothing about the program, so the start is tried once more.
  if (!created && GetLastError() == ERROR_INTERNAL_ERROR) {
    std::printf("note: CreateProcessW failed with ERROR_INTERNAL_ERROR; starting once more\n");
    Sleep(500);
    created = create();
  }
  if (!created) {
    if (error) *error = "CreateProcessW failed, error " + std::to_string(GetLastError());
    return false;
  }
  started_ = true;
  if (wait_idle) WaitForInputIdle(info_.hProcess, 10000);
  return true;
}

double Process::cpu_ms() const {
  if (!started_) return -1;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  auto ticks = [](const FILETIME& f) {
    return (static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
  };
  unsigned long long total = 0;
  int threads = 0;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != pid()) continue;
    HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
    FILETIME created, exited, kernel, user;
    if (thread && GetThreadTimes(thread, &created, &exited, &kernel, &user)) {
      total += ticks(kernel) + ticks(user);
      ++threads;
    }
    if (thread) CloseHandle(thread);
  }
  CloseHandle(snapshot);
  return threads > 0 ? static_cast<double>(total) / 10000.0 : -1;
}

bool Process::running() const {
  return started_ && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool Process::wait_exit(unsigned timeout_ms) {
  return started_ && WaitForSingleObject(info_.hProcess, timeout_ms) == WAIT_OBJECT_0;
}

DWORD Process::exit_code() const {
  DWORD code = STILL_ACTIVE;
  if (started_) GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

bool Process::kill() {
  if (!started_) return false;
  bool had_to = running();
  if (had_to) {
    TerminateProcess(info_.hProcess, 0xDEAD);
    WaitForSingleObject(info_.hProcess, 5000);
  }
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
  started_ = false;
  return had_to;
}

HWND Process::find_window(const char* cls, const char* title) const {
  for (HWND h : visible_top_windows(pid())) {
    if (class_name(h) != cls) continue;
    // The caption as the system keeps it: no message to a program that may
    // be busy starting up.
    wchar_t caption[256] = {};
    GetWindowTextW(h, caption, 256);
    if (wide_to_gbk(caption) == title) return h;
  }
  return nullptr;
}

std::vector<HWND> Process::message_boxes() const {
  std::vector<HWND> out;
  for (HWND h : visible_top_windows(pid())) {
    if (class_name(h) == "#32770") out.push_back(h);
  }
  return out;
}

std::vector<HWND> Process::other_top_windows(HWND except) const {
  std::vector<HWND> out;
  for (HWND h : visible_top_windows(pid())) {
    if (h != except) out.push_back(h);
  }
  return out;
}

MessageBoxView read_message_box(HWND box) {
  MessageBoxView view;
  view.hwnd = box;
  view.caption = window_text(box);
  // The message text is the static control with id 0xFFFF.
  if (HWND text = GetDlgItem(box, 0xFFFF)) view.text = window_text(text);
  view.has_ok = GetDlgItem(box, IDOK) != nullptr;
  for (const Child& c : children_of(box)) {
    if (c.visible && _stricmp(c.cls.c_str(), "Button") == 0) view.buttons.push_back(c.text);
  }
  return view;
}

bool press_ok(HWND box, std::string* note) {
  HWND ok = GetDlgItem(box, IDOK);
  if (ok) {
    PostMessageW(ok, BM_CLICK, 0, 0);
    if (wait_until([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 3000)) return true;
    if (note) *note = "BM_CLICK on OK did not close the box; sent WM_COMMAND IDOK";
  } else if (note) {
    *note = "the box has no button with id IDOK; sent WM_COMMAND IDOK";
  }
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
  wait_until([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 3000);
  return false;
}

}  // namespace e2e
