// The details balloon of a drive's tray icon.
#pragma once
#include <windows.h>

// A click: the main window comes to the foreground, then the balloon.
void ShowDriveDetails(HWND window, int position);
// A health alert: the same balloon, unasked, so the foreground is left to
// whatever the user is working in. True when the shell took it.
bool ShowDriveAlert(int position);
