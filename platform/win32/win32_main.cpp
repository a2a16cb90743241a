// The process entry of Dovrane.exe, and the allocation functions that turn
// an exhausted heap into the program's fatal error report.
#include <cstdlib>
#include <new>

#include "core/fatal.h"
#include "platform/win32/win32_dll_search.h"
#include "platform/win32/win32_platform.h"
#include "ui/app.h"

namespace {

// Every allocation of the program, the standard library's included, ends up
// here. Exhausted memory is reported with the byte count and ends the
// process; no caller ever sees a null pointer or a bad_alloc.
void* allocate_or_report(std::size_t bytes) {
  void* p = std::malloc(bytes != 0 ? bytes : 1);
  if (p == nullptr) dv::fatal_out_of_memory(bytes);
  return p;
}

}  // namespace

void* operator new(std::size_t bytes) { return allocate_or_report(bytes); }
void* operator new[](std::size_t bytes) { return allocate_or_report(bytes); }
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
  return allocate_or_report(bytes);
}
void* operator new[](std::size_t bytes, const std::nothrow_t&) noexcept {
  return allocate_or_report(bytes);
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

// The library's default terminate handler demangles the type of an escaped
// exception for a console that a GUI program does not have, and drags the
// whole demangler into the executable for it. Nothing of ours throws past a
// handler (allocation failures are reported above), so a plain abort does.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // First of all, before OLE or anything else can load a DLL by name.
  dv::win32::restrict_dll_search();
  // The command line and the show command are not used: the window always
  // opens centred and normal.
  dv::Win32Platform platform(instance);
  return dv::start_program(platform);
}
