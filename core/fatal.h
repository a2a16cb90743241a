// The one way the program stops on an unrecoverable condition.
#pragma once

#include <cstddef>
#include <string>

namespace dv {

class Platform;

// The text of the report: the heading, then the code line when the code is
// not 0, then the message line when the message is not empty.
std::string fatal_report_text(int code, const std::string& message);

// Shows the report (caption "错误", error icon, no owner), releases OLE and
// ends the process with exit code -1. Never returns.
[[noreturn]] void fatal_error_report(Platform& platform, int code,
                                     const std::string& message);

// The platform that reports conditions found far from any handler, such as
// memory exhaustion inside operator new. Set by the start routine and taken
// back by the program when it ends; null when no program runs.
void set_fatal_platform(Platform* platform);
Platform* fatal_platform();

// Reports that `bytes` bytes could not be obtained. Never returns.
[[noreturn]] void fatal_out_of_memory(std::size_t bytes);

// Reports a broken promise of the standard library (a length or index out
// of range) that the program's own checks should have made impossible.
[[noreturn]] void fatal_library_error(const char* what);

}  // namespace dv
