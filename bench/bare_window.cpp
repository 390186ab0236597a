// The bare Wine GUI program that start-up is compared with: one small
// window of a solid colour, shown at once, closed by WM_CLOSE.
#include <windows.h>

namespace {

LRESULT CALLBACK BareProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = BareProc;
    wc.hInstance = instance;
    wc.hbrBackground = CreateSolidBrush(RGB(255, 0, 255));
    wc.lpszClassName = "KELPRA_BENCH_BARE";
    if (!RegisterClassA(&wc))
        return 1;
    HWND window = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "bare", WS_POPUP | WS_VISIBLE, 200, 200, 64,
                                  64, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    UpdateWindow(window);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    DeleteObject(wc.hbrBackground);
    return 0;
}
