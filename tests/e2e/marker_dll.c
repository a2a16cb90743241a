/* A stand-in for a system DLL, for the planted-DLL scenario: put beside
   Dovrane.exe under a system DLL's name, it records every process that
   loads it by appending that process's path (UTF-8, one line) to
   "<its own path>.loaded". It does nothing else; the .def file of each
   stand-in forwards the real DLL's functions to gdi32 where the program
   could call them. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    WCHAR marker[MAX_PATH + 16];
    WCHAR process[MAX_PATH];
    char line[4 * MAX_PATH + 2];
    DWORD n = GetModuleFileNameW(self, marker, MAX_PATH);
    DWORD m = GetModuleFileNameW(NULL, process, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
      HANDLE f;
      int bytes = WideCharToMultiByte(CP_UTF8, 0, process, (int)m, line, sizeof line - 2, NULL, NULL);
      if (bytes < 0) bytes = 0;
      line[bytes++] = '\n';
      lstrcpyW(marker + n, L".loaded");
      f = CreateFileW(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
      if (f != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(f, line, (DWORD)bytes, &written, NULL);
        CloseHandle(f);
      }
    }
  }
  return TRUE;
}
