// Resource ids shared by dovrane.rc and the win32 backend.
#pragma once

// The program icon: the file's icon in Explorer and the window's big and
// small icon.
#define IDI_DOVRANE 1
