// Where the process looks for a DLL that something loads by name.
//
// A portable program is run from wherever the browser saved it, and a
// Downloads folder may hold anything: a DLL named like a system one and put
// beside the program would be loaded from there (the program's folder comes
// first in the default search). The DLLs the program imports are all
// KnownDLLs, which the system always takes from its own folder; what the
// system and its helpers load later by name (themes, shell extensions, OLE)
// must come from System32 too.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace dv::win32 {

// A function that only newer systems have, looked up rather than imported
// (an import the system lacks stops the program from starting at all);
// null where the system has none. `module` is one the process has loaded.
template <typename Function>
Function optional_entry(const wchar_t* module, const char* name) {
  const FARPROC found = GetProcAddress(GetModuleHandleW(module), name);
  // Through the generic function type, which any function type converts to
  // without a warning.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

// From now on only System32 is searched: SetDefaultDllDirectories where the
// system has it (Windows 8 on, Windows 7 with its 2011 loader update); on an
// older loader SetDllDirectory("") at least takes the current directory out.
inline void restrict_dll_search() {
  const auto set_default_directories = optional_entry<BOOL(WINAPI*)(DWORD)>(
      L"kernel32.dll", "SetDefaultDllDirectories");
  if (set_default_directories != nullptr &&
      set_default_directories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    return;
  }
  SetDllDirectoryW(L"");
}

}  // namespace dv::win32
