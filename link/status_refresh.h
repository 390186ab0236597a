// The status refresh: server replies turned into tray icons and tooltips.
#pragma once
#include <windows.h>

// Start-up: number of positions holding a drive (0 to 16), -1 when the
// server could not be reached.
int LoadDriveList();
// One poll: 1 when the exchange succeeded, 0 when it failed.
int RefreshDrives(HWND window, int showErrors);
// Host-number mode: show the host numbers (1); otherwise RefreshDrives.
int Redisplay(HWND window, int showErrors);
