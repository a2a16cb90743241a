// The program's version, in one place: the version record of Dovrane.exe
// takes both its numbers and its texts from here.
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
