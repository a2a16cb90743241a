// The steps of a power-off request, and the shell calls that open an
// address. Failures are the caller's to judge: each step hands back exactly
// what the system said.
#include "platform/win32/win32_platform.h"

#include <shellapi.h>

#include "platform/win32/win32_text.h"

namespace dv {

unsigned Win32Platform::os_platform_id() {
  // The classic structure, not the Ex one: 148 bytes.
  static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA is 148 bytes");
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  GetVersionExA(&info);
  return info.dwPlatformId;
}

bool Win32Platform::open_process_token() {
  if (token_ != nullptr) {
    CloseHandle(token_);
    token_ = nullptr;
  }
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                        &token)) {
    return false;
  }
  token_ = token;
  return true;
}

unsigned Win32Platform::enable_privilege(const char* name) {
  // AdjustTokenPrivileges succeeds even when it could not enable the
  // privilege; only the last error tells (ERROR_NOT_ALL_ASSIGNED), so that
  // is what the caller gets, read before anything else can overwrite it.
  LUID luid{};
  LookupPrivilegeValueA(nullptr, name, &luid);
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Luid = luid;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  AdjustTokenPrivileges(token_, FALSE, &privileges, 0, nullptr, nullptr);
  const DWORD error = GetLastError();
  if (token_ != nullptr) {
    CloseHandle(token_);
    token_ = nullptr;
  }
  return error;
}

bool Win32Platform::exit_windows(unsigned flags, unsigned reason) {
  return ExitWindowsEx(flags, reason) != 0;
}

std::uintptr_t Win32Platform::find_top_window(const char* title) {
  return reinterpret_cast<std::uintptr_t>(
      FindWindowExW(nullptr, nullptr, nullptr, win32::widen(title).c_str()));
}

void Win32Platform::shell_execute(std::uintptr_t owner, const char* verb,
                                  const char* file, int show) {
  // The shell reports its own failures, if any, to the owner window.
  ShellExecuteW(reinterpret_cast<HWND>(owner), win32::widen(verb).c_str(),
                win32::widen(file).c_str(), nullptr, nullptr, show);
}

}  // namespace dv
