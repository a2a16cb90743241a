// The standard library raises its errors through these functions. The
// program catches no exception: an error here would end it through
// std::terminate without a word. It is reported like every other
// unrecoverable condition instead, and the exception machinery for them
// (with its own copy of the string class) stays out of the executable.
#include <cstddef>

#include "core/fatal.h"

namespace std {

[[noreturn]] void __throw_bad_alloc() { dv::fatal_out_of_memory(0); }
[[noreturn]] void __throw_bad_array_new_length() { dv::fatal_out_of_memory(0); }
[[noreturn]] void __throw_length_error(const char* what) { dv::fatal_library_error(what); }
[[noreturn]] void __throw_logic_error(const char* what) { dv::fatal_library_error(what); }
[[noreturn]] void __throw_out_of_range(const char* what) { dv::fatal_library_error(what); }
[[noreturn]] void __throw_out_of_range_fmt(const char* what, ...) {
  dv::fatal_library_error(what);
}
[[noreturn]] void __throw_invalid_argument(const char* what) { dv::fatal_library_error(what); }
[[noreturn]] void __throw_bad_function_call() { dv::fatal_library_error("bad_function_call"); }

}  // namespace std
