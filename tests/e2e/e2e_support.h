// kelpra.exe started and ended from outside, its tray icons read from the
// virtual desktop's pixels, real clicks on them and the shell's balloons.
#pragma once
#include <windows.h>

#include "test_env.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// For cases that read the tray's pixels: an alert's balloon would cover them.
const Setting NO_ALERTS = {"Alert", "0"};

// kelpra.exe as a user starts it: the command line after the program's name.
class Kelpra {
public:
    bool Start(const std::string& arguments = "", const char* folder = nullptr);
    bool StartCommand(const std::string& commandLine, const char* folder = nullptr);
    HWND Window() const { return window_; }
    DWORD Id() const { return process_.Id(); }
    bool EndsWithZero(DWORD timeoutMs = 20000);   // ended in time with exit code 0
    bool CloseWithZero();                         // WM_CLOSE, then EndsWithZero

private:
    ChildProcess process_;
    HWND window_ = nullptr;
};

// A real mouse click through the shell on the tray icon at that position
// (0: the first one added, at the right end of the taskbar).
void ClickIcon(int position, bool right);

// Waits (bounded) until the tray icons from position 0 on look like these, with
// no icon after them. A look: "error" (the error image), or the digits' colour
// ("cool", "hot"; none if no number), the badge ("good", "caution", "danger")
// and "mark" (told only beside digits that are not hot, whose red would hide
// it); "?" is another picture (such as a host number), "*" any icon.
testing::AssertionResult TrayShows(const std::vector<std::string>& looks, DWORD timeoutMs = 20000);
std::string Picture(int position);

// The visible details balloons of the shell: tooltip windows far taller
// than the one-line hover tooltip.
std::vector<HWND> VisibleBalloons();
