// The tray tests' window and slot reset.
#include "tray_fixture.h"

#include "app/app_state.h"
#include "app/main_window.h"
#include "link/drive_alert.h"
#include "link/drive_slot.h"

#include <cstring>

namespace {

// A hidden window of the fixture's class, with default processing.
HWND NewWindow(const char* title)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KELPRA_TRAY_FIXTURE";
    RegisterClassA(&wc);   // a second registration fails harmlessly
    return CreateWindowExA(0, wc.lpszClassName, title, 0, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
}

} // namespace

HICON PlainImage() { return LoadIconA(nullptr, IDI_APPLICATION); }
HICON ErrorImage() { return LoadIconA(nullptr, IDI_HAND); }
HICON HostImage() { return LoadIconA(nullptr, IDI_ASTERISK); }

TrayFixture::TrayFixture() : window_(NewWindow("fixture"))
{
    ResetSlots();
    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(MainWndProc));
    // Wine's tray takes about 2 s to remove its last icon (it then hides its
    // window). One icon of the fixture's own stays for the whole test
    // program, so the program's icons are never the last ones.
    static const NOTIFYICONDATAA keeper = [] {
        NOTIFYICONDATAA nid = {};
        nid.cbSize = sizeof nid;
        nid.hWnd = NewWindow("keeper");
        nid.uID = 0x4B454550;
        nid.uFlags = NIF_ICON;
        nid.hIcon = LoadIconA(nullptr, IDI_QUESTION);
        Shell_NotifyIconA(NIM_ADD, &nid);
        return nid;
    }();
    (void)keeper;
}

TrayFixture::~TrayFixture()
{
    ResetSlots();
    // Back to default processing first: the program's WM_DESTROY handler
    // would end this thread's message loop.
    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcA));
    DestroyWindow(window_);
    Pump(0);
}

void TrayFixture::ResetSlots()
{
    for (UINT s = 0; s < SLOT_COUNT; ++s)
        ForgetAlert(s);
    for (DriveSlot& slot : DriveSlots) {
        slot.TrayIcon.Destroy();
        slot.TrayIcon.m_nCurrentImage = 0;
        slot.Lock.Delete();
        slot.Lock.Create(SLOT_LOCK_LABEL);
        std::memset(&slot.Record, 0, sizeof slot.Record);
        slot.Check = 0;
        slot.ShownImage = 0;
    }
    IconTableLock.Create(ICON_TABLE_LOCK_LABEL);
    AppState.hostNumberMode = 0;
    AppState.stateOverride = 0;
    AppState.pollTimerId = 0;
    AppState.errorBoxOpen = 0;
}

void TrayFixture::FillTables()
{
    for (DriveSlot& slot : DriveSlots)
        for (UINT i = 0; i < ICON_COUNT; ++i)
            slot.TrayIcon.SetImage(i, i == ICON_ERROR ? ErrorImage() : i >= ICON_HOST_BASE ? HostImage() : PlainImage(),
                                   FALSE);
}

DriveRecord TrayFixture::Drive(int temperature, uint8_t state, const char* driveNumber)
{
    DriveRecord r = {};
    r.InUse = 1;
    r.Temperature = static_cast<int8_t>(temperature);
    r.MaxTemperature = static_cast<int8_t>(temperature + 5);
    r.State = state;
    r.UsageRate = 50;
    r.A09 = 240;
    std::strncpy(r.Model, "VELMORA VX-2000", sizeof r.Model - 1);
    std::strncpy(r.Firmware, "FW1.2", sizeof r.Firmware - 1);
    std::strncpy(r.Serial, "SN0001", sizeof r.Serial - 1);
    std::strncpy(r.DriveNumber, driveNumber, sizeof r.DriveNumber - 1);
    return r;
}

bool TrayFixture::ShellHasIcon(unsigned slot)
{
    NOTIFYICONDATAA copy = DriveSlots[slot].TrayIcon.m_nid;
    copy.uFlags &= ~static_cast<UINT>(NIF_INFO);
    return copy.cbSize != 0 && Shell_NotifyIconA(NIM_MODIFY, &copy);
}

void TrayFixture::Pump(DWORD ms)
{
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (ms)
            Sleep(10);
    } while (GetTickCount() - start < ms);
}
