// Tray mouse handling, the popup menu and its commands.
#pragma once
#include <windows.h>

LRESULT OnTrayNotify(HWND window, WPARAM wParam, LPARAM lParam, UINT slot);
void ShowTrayMenu(HWND window, UINT slot);
LRESULT OnCommand(HWND window, WPARAM wParam);

// The popup menu of slot s as the current state makes it; *submenu receives
// the override submenu, which is attached only when its item is shown.
HMENU BuildTrayMenu(UINT slot, HMENU* submenu);
void DestroyTrayMenu(HMENU menu, HMENU submenu);
