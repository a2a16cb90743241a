#include "core/fatal.h"

#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace dv {

namespace {

Platform* g_fatal_platform = nullptr;

// Set once one of the two reports below has begun. A second failure while
// it is on the screen (the report itself running out of memory, say) cannot
// be shown and aborts instead. Never reset: the report ends the process and
// does not come back. (On the in-memory desktop the end of the process is
// an exception, so a test process gets one such report.)
bool g_far_report_begun = false;

[[noreturn]] void far_report(const char* message) {
  if (g_far_report_begun || g_fatal_platform == nullptr) std::abort();
  g_far_report_begun = true;
  fatal_error_report(*g_fatal_platform, 0, message);
}

}  // namespace

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
Platform* fatal_platform() { return g_fatal_platform; }

void fatal_out_of_memory(std::size_t bytes) {
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
  far_report(message);
}

void fatal_library_error(const char* what) { far_report(what != nullptr ? what : ""); }

}  // namespace dv
