// The version box of the popup menu.
#pragma once
#include <windows.h>

void ShowVersionBox(HWND owner);
