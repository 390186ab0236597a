// Operations on the set of 16 tray icons.
#pragma once
#include <windows.h>

BOOL CreateTrayIcons(HWND window);
BOOL ShowHostNumbers();
// For every message without a handler: re-adds the icons on "TaskbarCreated".
BOOL OnTaskbarCreated(UINT message);
void RemoveTrayIcons();
