// In-process fixture of the tray tests: a hidden window that runs the
// program's own MainWndProc (subclassed in after creation, so no start-up
// runs), the 16 drive slots reset with created locks, and image tables
// filled with system icons the tables only borrow.
#pragma once
#include "wire/drive_record.h"

#include <windows.h>
#include <shellapi.h>

class TrayFixture {
public:
    TrayFixture();
    ~TrayFixture();
    TrayFixture(const TrayFixture&) = delete;
    TrayFixture& operator=(const TrayFixture&) = delete;

    HWND Window() const { return window_; }

    // Slots, tray icons, alert memory and the shell state back to the process's start.
    static void ResetSlots();
    // Every table entry gets IDI_APPLICATION; the error image IDI_HAND and
    // host-number images IDI_ASTERISK, so a test can tell them apart.
    static void FillTables();
    // A stored drive record as the server would send it.
    static DriveRecord Drive(int temperature, uint8_t state, const char* driveNumber);

    // Whether the shell holds the icon of slot s right now (a NIM_MODIFY
    // of a copy of its record, which changes nothing it shows).
    static bool ShellHasIcon(unsigned slot);
    // Dispatches this thread's messages for up to ms milliseconds.
    static void Pump(DWORD ms);

private:
    HWND window_ = nullptr;
};

HICON PlainImage();
HICON ErrorImage();
HICON HostImage();
