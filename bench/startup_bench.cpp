// Start-up figures, taken from outside the programs: the time from
// CreateProcess until the screen shows the program's first picture (the
// first tray icon of the 1024 x 768 virtual desktop's taskbar, or the bare
// program's window).
#include "startup_bench.h"

#include "figures.h"
#include "test_env.h"

#include "app/app_state.h"
#include "config/settings.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr DWORD APPEAR_LIMIT_MS = 20000;
constexpr DWORD LEAVE_LIMIT_MS = 10000;
constexpr int CHANGED_PIXELS = 20;   // of 256: more than a cursor or a blend

// A 16 x 16 square of the screen.
struct Square {
    int left;
    int top;
};
constexpr Square BARE_WINDOW = {216, 216};

// The middle of the first tray icon, which grows with the display scale:
// 16 pixels at 96 DPI, 32 at 192 (x 990 to 1021, y 736 to 767).
Square FirstTrayIcon(int dpi)
{
    return dpi >= 192 ? Square{998, 744} : Square{1006, 750};
}

class SquareWatch {
public:
    explicit SquareWatch(Square square) : square_(square)
    {
        screen_ = GetDC(nullptr);
        memory_ = CreateCompatibleDC(screen_);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = 16;
        info.bmiHeader.biHeight = -16;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        bitmap_ = CreateDIBSection(memory_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = SelectObject(memory_, bitmap_);
    }
    ~SquareWatch()
    {
        SelectObject(memory_, old_);
        DeleteObject(bitmap_);
        DeleteDC(memory_);
        ReleaseDC(nullptr, screen_);
    }
    SquareWatch(const SquareWatch&) = delete;
    SquareWatch& operator=(const SquareWatch&) = delete;

    // The square once two looks 200 ms apart agree (the desktop's own
    // start may still be painting it); false when it never settles.
    bool TakeBackground()
    {
        background_ = Grab();
        for (int i = 0; i < 50; ++i) {
            Sleep(200);
            std::vector<uint32_t> again = Grab();
            if (again == background_)
                return true;
            background_ = again;
        }
        return false;
    }
    // Pixels that differ from the background now.
    int Changed()
    {
        std::vector<uint32_t> now = Grab();
        int n = 0;
        for (size_t i = 0; i < now.size() && i < background_.size(); ++i)
            n += (now[i] & 0xFFFFFF) != (background_[i] & 0xFFFFFF);
        return n;
    }
    // Waits, bounded, until the square changes (or, with appear false,
    // shows its background again); the microseconds of the clock then.
    bool Wait(bool appear, DWORD limitMs, double* when)
    {
        DWORD start = GetTickCount();
        for (;;) {
            int changed = Changed();
            if (appear ? changed >= CHANGED_PIXELS : changed == 0) {
                *when = NowMicroseconds();
                return true;
            }
            if (GetTickCount() - start > limitMs)
                return false;
            Sleep(1);
        }
    }

private:
    std::vector<uint32_t> Grab()
    {
        BitBlt(memory_, 0, 0, 16, 16, screen_, square_.left, square_.top, SRCCOPY);
        GdiFlush();
        return std::vector<uint32_t>(bits_, bits_ + 256);
    }

    Square square_;
    HDC screen_ = nullptr;
    HDC memory_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    uint32_t* bits_ = nullptr;
    std::vector<uint32_t> background_;
};

void CloseProgram(const char* className, ChildProcess& child)
{
    HWND window = WaitForWindow(className, child.Id(), 5000);
    if (window)
        PostMessageA(window, WM_CLOSE, 0, 0);
    if (!child.WaitExit(LEAVE_LIMIT_MS))
        child.Kill();
}

// Milliseconds from CreateProcess to the first picture; negative on failure.
double TimeToPicture(const std::string& commandLine, const char* directory, Square square, const char* className)
{
    SquareWatch watch(square);
    if (!watch.TakeBackground()) {
        std::fprintf(stderr, "bench: the screen does not settle before a start\n");
        return -1;
    }
    ChildProcess child;
    double start = NowMicroseconds();
    if (!child.Start(commandLine, directory))
        return -1;
    double shown = 0;
    bool appeared = watch.Wait(true, APPEAR_LIMIT_MS, &shown);
    CloseProgram(className, child);
    double gone = 0;
    watch.Wait(false, LEAVE_LIMIT_MS, &gone);
    return appeared ? (shown - start) / 1000.0 : -1;
}

} // namespace

int RunStartupBench(unsigned port, const char* kelpraExe, const char* bareExe, int runs)
{
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    // The figures of 96 DPI keep their names; another scale's carry it.
    const std::string suffix = dpi == 96 ? "" : "_" + std::to_string(dpi) + "dpi";
    const std::string at = dpi == 96 ? "" : " at " + std::to_string(dpi) + " DPI";
    WritePrivateProfileStringA("127.0.0.1", "Port", std::to_string(port).c_str(), SettingsFilePath());
    WritePrivateProfileStringA("127.0.0.1", "TimeOut", "1", SettingsFilePath());
    WritePrivateProfileStringA("127.0.0.1", "CommandError", "0", SettingsFilePath());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, SettingsFilePath());
    // A folder without icon override files, as the program's current one.
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    std::string folder = std::string(temp) + "kelpra-bench";
    CreateDirectoryA(folder.c_str(), nullptr);

    const std::string kelpra = "\"" + std::string(kelpraExe) + "\"";
    const std::string bare = "\"" + std::string(bareExe) + "\"";
    std::vector<double> kelpraMs;
    std::vector<double> bareMs;
    // The first pair warms Wine's caches of both programs and is not counted.
    for (int run = -1; run < runs; ++run) {
        double k = TimeToPicture(kelpra, folder.c_str(), FirstTrayIcon(dpi), MAIN_WINDOW_CLASS);
        double b = TimeToPicture(bare, folder.c_str(), BARE_WINDOW, "KELPRA_BENCH_BARE");
        std::printf("run %d: kelpra %.1f ms, bare %.1f ms\n", run + 1, k, b);
        if (k < 0 || b < 0) {
            std::fprintf(stderr, "bench: a start-up showed nothing within %lu ms\n",
                         static_cast<unsigned long>(APPEAR_LIMIT_MS));
            return 1;
        }
        if (run >= 0) {
            kelpraMs.push_back(k);
            bareMs.push_back(b);
        }
    }
    double k = Median(kelpraMs);
    double b = Median(bareMs);
    std::string of = "median of " + std::to_string(runs) + " runs after one warm-up" + at;
    ReportFigure(("startup_to_first_icon_ms" + suffix).c_str(), k, "ms",
                 "CreateProcess of kelpra.exe to its first tray icon on screen, " + of);
    ReportFigure(("bare_gui_start_ms" + suffix).c_str(), b, "ms",
                 "CreateProcess of a bare GUI program to its window on screen, " + of);
    ReportFigure(("startup_vs_bare_ratio" + suffix).c_str(), k / b, "x",
                 "startup_to_first_icon_ms" + suffix + " / bare_gui_start_ms" + suffix + " (goal <= " +
                     (dpi >= 192 ? "2.5)" : "2)"));
    return 0;
}
