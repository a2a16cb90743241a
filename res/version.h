// The program's version and what the file says it is, in one place: the
// version record of Dovrane.exe takes its numbers and texts from here.
// Texts are UTF-8 (windres runs with --codepage=65001).
#pragma once

#define DV_VERSION_MAJOR 1
#define DV_VERSION_MINOR 0
#define DV_VERSION_PATCH 0
#define DV_VERSION_BUILD 0

#define DV_STRINGIZE_(x) #x
#define DV_STRINGIZE(x) DV_STRINGIZE_(x)
#define DV_VERSION_TEXT                                                   \
  DV_STRINGIZE(DV_VERSION_MAJOR) "." DV_STRINGIZE(DV_VERSION_MINOR) "."   \
  DV_STRINGIZE(DV_VERSION_PATCH) "." DV_STRINGIZE(DV_VERSION_BUILD)

#define DV_PRODUCT_NAME "Dovrane"
// What Task Manager and the system's prompts show for the program.
#define DV_FILE_DESCRIPTION "Dovrane 定时关机"
#define DV_INTERNAL_NAME "Dovrane"
#define DV_ORIGINAL_FILENAME "Dovrane.exe"
#define DV_COMPANY_NAME "Lumtrek"
#define DV_LEGAL_COPYRIGHT "© 2026 Lumtrek"
