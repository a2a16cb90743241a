#include "core/fatal.h"

#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace dv {

namespace {
Platform* g_fatal_platform = nullptr;
}

std::string fatal_report_text(int code, const std::string& message) {
  std::string text = "运行时出错!\r\n\r\n";
  if (code != 0) {
    text += "错误代码：" + std::to_string(code) + "\r\n\r\n";
  }
  if (!message.empty()) {
    text += "错误信息：" + message + "\r\n";
  }
  return text;
}

void fatal_error_report(Platform& platform, int code, const std::string& message) {
  platform.message_box(fatal_report_text(code, message), "错误", mb::icon_error);
  platform.ole_uninitialize();
  platform.exit_process(-1);
  std::abort();  // not reached: a backend's exit never comes back
}

void set_fatal_platform(Platform* platform) { g_fatal_platform = platform; }

void fatal_out_of_memory(std::size_t bytes) {
  // A second failure while the first is being reported cannot be shown.
  static bool reporting = false;
  if (reporting || g_fatal_platform == nullptr) std::abort();
  reporting = true;
  // The number is written by hand: the C libraries disagree on "%zu".
  char digits[24];
  char* p = digits + sizeof digits;
  *--p = '\0';
  do {
    *--p = static_cast<char>('0' + bytes % 10);
    bytes /= 10;
  } while (bytes != 0);
  char message[64] = "分配 ";
  std::strcat(message, p);
  std::strcat(message, " 字节内存失败!");
  fatal_error_report(*g_fatal_platform, 0, message);
}

void fatal_library_error(const char* what) {
  static bool reporting = false;
  if (reporting || g_fatal_platform == nullptr) std::abort();
  reporting = true;
  fatal_error_report(*g_fatal_platform, 0, what != nullptr ? what : "");
}

}  // namespace dv
