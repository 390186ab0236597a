// The details balloon of a drive's tray icon.
#pragma once
#include <windows.h>

void ShowDriveDetails(HWND window, int position);
