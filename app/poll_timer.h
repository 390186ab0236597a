// The polling timer and the power events.
#pragma once
#include <windows.h>

// (Re)starts the polling timer with the period of Settings.Timer.
int RestartPollTimer(HWND window);
// Stops the polling timer; pollTimerId stays set when KillTimer fails.
void StopPollTimer(HWND window);
LRESULT OnTimer(HWND window, WPARAM timerId);
LRESULT OnPowerBroadcast(HWND window, WPARAM event);
