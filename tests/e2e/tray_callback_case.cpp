// A click on a TaskTrayIcon in the taskbar of the virtual desktop: with the
// record's 520-byte size and no version request, the shell calls back in
// the first form, the icon's identifier in wParam and the mouse message in
// lParam.
#include "app/app_state.h"
#include "app/tray_icon.h"
#include "link/drive_record.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Callback {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
std::vector<Callback> callbacks;

LRESULT CALLBACK RecordCallbacks(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= WM_TRAYNOTIFY && message < WM_TRAYNOTIFY + SLOT_COUNT)
        callbacks.push_back({message, wParam, lParam});
    return DefWindowProcA(window, message, wParam, lParam);
}

void PumpFor(DWORD ms)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(10);
    }
}

void ClickAt(int x, int y, DWORD down, DWORD up)
{
    SetCursorPos(x, y);
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = down;
    input[1].mi.dwFlags = up;
    SendInput(2, input, sizeof(INPUT));
}

TEST(EndToEnd, TrayCallbacksComeInTheFirstFormWithTheIconsId)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = RecordCallbacks;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KELPRA_E2E_CALLBACKS";
    ASSERT_NE(RegisterClassA(&wc), 0);
    HWND window = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);

    TaskTrayIcon tray;
    const UINT id = 3 * 16 + 2 + 1;   // HostNumber 3, slot 2
    ASSERT_TRUE(tray.Init(window, id, WM_TRAYNOTIFY + 2, ICON_COUNT));
    tray.SetImage(0, LoadIconA(nullptr, IDI_APPLICATION), FALSE);
    ASSERT_TRUE(tray.Add(0));
    PumpFor(1500);

    // The only icon sits at the right end of the tray.
    ClickAt(1013, 757, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    PumpFor(800);
    ClickAt(1013, 757, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    PumpFor(800);
    tray.Destroy();
    DestroyWindow(window);

    std::vector<LPARAM> mouse;
    for (const Callback& c : callbacks) {
        EXPECT_EQ(c.message, WM_TRAYNOTIFY + 2);
        EXPECT_EQ(c.wParam, id) << "first form: the identifier in wParam";
        if (c.lParam != WM_MOUSEMOVE)
            mouse.push_back(c.lParam);
    }
    std::vector<LPARAM> expected = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP};
    EXPECT_EQ(mouse, expected);
}

} // namespace
