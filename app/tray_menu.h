// Tray mouse handling, the popup menu and its commands.
#pragma once
#include <windows.h>

LRESULT OnTrayNotify(HWND window, WPARAM wParam, LPARAM lParam, UINT slot);
void ShowTrayMenu(HWND window, UINT slot);
LRESULT OnCommand(HWND window, WPARAM wParam);
