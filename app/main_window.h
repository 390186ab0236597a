// The program's spine: the entry, the hidden main window and its dispatch,
// start-up and shutdown.
#pragma once
#include <windows.h>

// Everything WinMain does; returns the exit code (always 0).
int KelpraMain(HINSTANCE instance, const char* commandLine);

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT OnCreate(HWND window);
LRESULT OnDestroy(HWND window);

// Start-up failure paths: an error box (optionally guarded by
// AppState.errorBoxOpen) followed by a posted WM_CLOSE.
LRESULT FailStartup(HWND window, const char* text);
LRESULT FailStartupGuarded(HWND window, const char* text);
LRESULT CloseAfterFailedStartup(HWND window);
// The server could not be reached at start-up: an information box, the
// settings dialog, a box saying how it ended, then WM_CLOSE.
LRESULT OnServerUnreachable(HWND window);
