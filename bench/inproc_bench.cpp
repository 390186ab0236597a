// The in-process figures: the program's own start-up handler run on a
// hidden window of the program's class, then the icon set build, the
// refresh beside a bare round trip to the same simulator, allocations and
// objects around refreshes, and the resources after start-up, a soak of
// refreshes and repeated rebuilds ("適用").
#include "inproc_bench.h"

#include "alloc_count.h"
#include "build_compare.h"
#include "legacy_build.h"
#include "figures.h"
#include "icon_handles.h"
#include "resources.h"

#include "app/app_state.h"
#include "app/main_window.h"
#include "config/settings.h"
#include "config/settings_location.h"
#include "icons/gdi_tally.h"
#include "icons/icon_set.h"
#include "icons/numicon.h"
#include "wire/drive_record.h"
#include "link/drive_slot.h"
#include "link/server_exchange.h"
#include "link/status_refresh.h"
#include "link/ws32lib.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int TIMED_BATCHES = 7;
constexpr int REFRESHES_PER_BATCH = 300;
constexpr int BUILD_RUNS = 7;
constexpr int SCALE_BUILD_RUNS = 9;
constexpr int COUNTED_REFRESHES = 1000;
constexpr int COUNTED_ALERTS = 200;
constexpr UINT CAUTION_POSITION = 2;   // bench/scenario.json

void WriteBenchSettings(unsigned port)
{
    const char* host = "127.0.0.1";
    WritePrivateProfileStringA(host, "Port", std::to_string(port).c_str(), SettingsFilePath());
    WritePrivateProfileStringA(host, "TimeOut", "1", SettingsFilePath());
    // The benchmark calls the refresh itself; the program's timer must not.
    WritePrivateProfileStringA(host, "Timer", "86400", SettingsFilePath());
    WritePrivateProfileStringA(host, "CommandError", "0", SettingsFilePath());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, SettingsFilePath());
}

// The entry's part before the window exists, then the window, whose
// creation handler runs the whole start-up.
HWND StartProgram(HINSTANCE instance)
{
    AppState.instance = instance;
    SetDefaultSettings();
    std::strcpy(Settings.HostAddress, "127.0.0.1");
    WNDCLASSA wc = {};
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.lpszClassName = MAIN_WINDOW_CLASS;
    RegisterClassA(&wc);
    return CreateWindowExA(0, MAIN_WINDOW_CLASS, MAIN_WINDOW_CLASS, 0, 0, 0, 0, 0, nullptr, nullptr, instance,
                           nullptr);
}

int DriveSlotsInUse()
{
    int n = 0;
    for (const DriveSlot& slot : DriveSlots)
        n += slot.Record.InUse != 0;
    return n;
}

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// A bare round trip on one socket: the 1-byte request, one reply of up to
// 3264 bytes. Returns false when no reply came within a second.
class BareClient {
public:
    explicit BareClient(unsigned port)
    {
        const WS32LIB_PROCTABLE& ws = WS32LIB_ProcTable;
        socket_ = ws.socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        server_.sin_family = AF_INET;
        server_.sin_port = ws.htons(static_cast<u_short>(port));
        server_.sin_addr.s_addr = ws.inet_addr("127.0.0.1");
        DWORD timeoutMs = 1000;
        ws.setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeoutMs),
                      sizeof timeoutMs);
    }
    ~BareClient() { WS32LIB_ProcTable.closesocket(socket_); }
    BareClient(const BareClient&) = delete;
    BareClient& operator=(const BareClient&) = delete;

    bool RoundTrip(int* bytes)
    {
        const WS32LIB_PROCTABLE& ws = WS32LIB_ProcTable;
        const char request = 0x01;
        if (ws.sendto(socket_, &request, 1, 0, reinterpret_cast<const sockaddr*>(&server_), sizeof server_) != 1)
            return false;
        *bytes = ws.recvfrom(socket_, reinterpret_cast<char*>(reply_), sizeof reply_, 0, nullptr, nullptr);
        return *bytes > 0;
    }

    // The same on a socket of its own, opened and closed around the round
    // trip with a select() wait, as the program's exchange does it.
    bool FreshSocketRoundTrip(int* bytes)
    {
        const WS32LIB_PROCTABLE& ws = WS32LIB_ProcTable;
        SOCKET s = ws.socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        if (s == INVALID_SOCKET)
            return false;
        const char request = 0x01;
        *bytes = 0;
        if (ws.sendto(s, &request, 1, 0, reinterpret_cast<const sockaddr*>(&server_), sizeof server_) == 1) {
            fd_set readSet;
            readSet.fd_count = 1;
            readSet.fd_array[0] = s;
            timeval limit = {1, 0};
            if (ws.select(0, &readSet, nullptr, nullptr, &limit) > 0)
                *bytes = ws.recvfrom(s, reinterpret_cast<char*>(reply_), sizeof reply_, 0, nullptr, nullptr);
        }
        ws.closesocket(s);
        return *bytes > 0;
    }

private:
    SOCKET socket_ = INVALID_SOCKET;
    sockaddr_in server_ = {};
    unsigned char reply_[REPLY_SIZE] = {};
};

// Mean microseconds of one call over a batch; negative when a call failed.
template <typename Call>
double BatchMean(int calls, Call call)
{
    double start = NowMicroseconds();
    for (int i = 0; i < calls; ++i)
        if (!call())
            return -1;
    return (NowMicroseconds() - start) / calls;
}

bool RefreshOnce(HWND window)
{
    return RefreshDrives(window, 0) == 1;
}

// The build beside the earlier one: both timed, one after the other, in
// the same run (suffix: "" for the start-up's own scale, else "_<dpi>dpi").
void ReportBuildTimes(const BuildTimes& t, const std::string& suffix, const std::string& what)
{
    ReportFigure(("build_icon_set_ms" + suffix).c_str(), t.now, "ms", what);
    ReportFigure(("build_icon_set_old_ms" + suffix).c_str(), t.old, "ms",
                 "the same build as commit 1a4eb82 made it (bench/legacy_build.cpp), alternating with it");
    ReportFigure(("build_vs_old_ratio" + suffix).c_str(), t.now / t.old, "x",
                 "build_icon_set_ms" + suffix + " / build_icon_set_old_ms" + suffix + " (goal <= 0.33)");
}

void MeasureBuild()
{
    const BuildTimes t = MedianBuildTimes(BUILD_RUNS);
    ReportBuildTimes(t, "", "BuildIconSet, 616 painted icons and the error icon, median of " + std::to_string(BUILD_RUNS));
    ReportFigure("build_icon_set_us_per_icon", t.now * 1000.0 / NUMERIC_ICON_COUNT, "us", "the same per icon");
}

bool MeasureRefreshAgainstRoundTrip(HWND window, unsigned port)
{
    BareClient bare(port);
    int bytes = 0;
    if (!bare.RoundTrip(&bytes) || bytes != static_cast<int>(REPLY_SIZE)) {
        std::fprintf(stderr, "bench: no %u-byte reply from the simulator (got %d)\n",
                     static_cast<unsigned>(REPLY_SIZE), bytes);
        return false;
    }
    // Batches alternate, so that drift of the machine touches both alike.
    std::vector<double> roundTrips;
    std::vector<double> refreshes;
    for (int b = 0; b < TIMED_BATCHES; ++b) {
        roundTrips.push_back(BatchMean(REFRESHES_PER_BATCH, [&] { return bare.RoundTrip(&bytes); }));
        refreshes.push_back(BatchMean(REFRESHES_PER_BATCH, [&] { return RefreshOnce(window); }));
        if (roundTrips.back() < 0 || refreshes.back() < 0) {
            std::fprintf(stderr, "bench: a round trip or a refresh failed\n");
            return false;
        }
    }
    std::vector<double> fresh;
    for (int b = 0; b < TIMED_BATCHES; ++b)
        fresh.push_back(BatchMean(REFRESHES_PER_BATCH, [&] { return bare.FreshSocketRoundTrip(&bytes); }));
    double rt = Median(roundTrips);
    double refresh = Median(refreshes);
    std::string batches = "median of " + std::to_string(TIMED_BATCHES) + " batches of " +
                          std::to_string(REFRESHES_PER_BATCH);
    ReportFigure("bare_roundtrip_us", rt, "us", "1-byte request, 3264-byte reply, one socket, " + batches);
    ReportFigure("refresh_us", refresh, "us", "RefreshDrives against velmora-sim, " + batches);
    ReportFigure("refresh_vs_roundtrip_ratio", refresh / rt, "x", "refresh_us / bare_roundtrip_us (goal <= 1.5)");
    ReportFigure("bare_roundtrip_fresh_socket_us", Median(fresh), "us",
                 "the round trip on a new socket with a select() wait, as each exchange attempt makes it, " + batches);
    ReportFigure("refresh_vs_fresh_socket_roundtrip_ratio", refresh / Median(fresh), "x",
                 "refresh_us / bare_roundtrip_fresh_socket_us");
    return true;
}

// Where a refresh's time goes: the exchange alone, the host lookup it
// makes twice, one icon change handed to the shell.
void MeasureRefreshParts()
{
    const int calls = 50;
    std::vector<double> query, lookup, modify;
    unsigned char reply[REPLY_SIZE];
    DriveSlot& slot = DriveSlots[0];
    for (int b = 0; b < TIMED_BATCHES; ++b) {
        query.push_back(BatchMean(calls, [&] {
            std::memset(reply, 0, sizeof reply);
            return QueryServer(Settings.HostAddress, Settings.Port, reply, 0) == 1;
        }));
        lookup.push_back(BatchMean(calls, [&] { return WS32LIB_ProcTable.gethostbyname(Settings.HostAddress) != nullptr; }));
        modify.push_back(BatchMean(calls, [&] { return slot.TrayIcon.Modify(slot.ShownImage) != FALSE; }));
    }
    std::string of = "median of " + std::to_string(TIMED_BATCHES) + " batches of " + std::to_string(calls);
    ReportFigure("query_server_us", Median(query), "us", "QueryServer alone (the exchange of one refresh), " + of);
    ReportFigure("host_lookup_us", Median(lookup), "us", "gethostbyname of the host text (twice per exchange), " + of);
    ReportFigure("shell_modify_us", Median(modify), "us", "one NIM_MODIFY of a shown icon (once per drive), " + of);
}

void MeasureAllocationsAndObjects(HWND window)
{
    ResourceSnapshot before = TakeSnapshot();
    AllocCounts start = CurrentAllocCounts();
    for (int i = 0; i < COUNTED_REFRESHES; ++i)
        RefreshOnce(window);
    AllocCounts end = CurrentAllocCounts();
    ResourceSnapshot after = TakeSnapshot();
    double allocations = static_cast<double>(end.Allocations() - start.Allocations()) / COUNTED_REFRESHES;
    ReportFigure("allocations_per_refresh", allocations, "calls",
                 "operator new/new[] and malloc/calloc/realloc of the statically linked code per refresh, over " +
                     std::to_string(COUNTED_REFRESHES) + " (Wine's DLLs not seen)");
    ReportFigure("frees_per_refresh",
                 static_cast<double>((end.deletes + end.frees) - (start.deletes + start.frees)) / COUNTED_REFRESHES,
                 "calls", "operator delete and free, likewise");
    ReportFigure("objects_created_per_refresh",
                 static_cast<double>(after.tallied - before.tallied) / COUNTED_REFRESHES, "objects",
                 "net GDI/USER objects of the icon code per refresh");
}

// The same around refreshes that alert: the caution drive's status is hidden
// for one refresh and shown again at the next, whose balloon comes up.
void MeasureAlerts(HWND window)
{
    DriveSlot& slot = DriveSlots[CAUTION_POSITION];
    slot.TrayIcon.m_nid.szInfo[0] = '\0';   // the start-up's alert filled it
    ResourceSnapshot before = TakeSnapshot();
    AllocCounts start = CurrentAllocCounts();
    for (int i = 0; i < COUNTED_ALERTS; ++i) {
        slot.Check = 1;
        RefreshOnce(window);
        slot.Check = 0;
        RefreshOnce(window);
    }
    AllocCounts end = CurrentAllocCounts();
    ResourceSnapshot after = TakeSnapshot();
    if (slot.TrayIcon.m_nid.szInfo[0] == '\0')
        std::fprintf(stderr, "bench: the caution drive showed no balloon (Alert=0?)\n");
    std::string over = "per alert, over " + std::to_string(COUNTED_ALERTS) + " alerts and as many quiet refreshes";
    ReportFigure("allocations_per_alert", static_cast<double>(end.Allocations() - start.Allocations()) / COUNTED_ALERTS,
                 "calls", "counted allocation calls " + over);
    ReportFigure("objects_created_per_alert", static_cast<double>(after.tallied - before.tallied) / COUNTED_ALERTS,
                 "objects", "net GDI/USER objects of the icon code " + over);
}

} // namespace

int RunInProcessBench(unsigned port, int soakRefreshes, int rebuilds)
{
    WriteBenchSettings(port);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    ResourceSnapshot bare = TakeSnapshot();
    ReportSnapshot("before_start", "before start-up", bare);

    AllocCounts beforeStart = CurrentAllocCounts();
    double start = NowMicroseconds();
    HWND window = StartProgram(instance);
    double startup = (NowMicroseconds() - start) / 1000.0;
    // Shows that the counters see the program's allocations at all: the
    // start-up makes the tray icons' image tables with new[].
    ReportFigure("allocations_during_startup",
                 static_cast<double>(CurrentAllocCounts().Allocations() - beforeStart.Allocations()), "calls",
                 "the counted allocation calls of the start-up handler");
    Pump();
    if (!window || DriveSlotsInUse() == 0) {
        std::fprintf(stderr, "bench: the start-up handler did not reach the simulator on port %u\n", port);
        return 1;
    }
    ReportFigure("startup_handler_ms", startup, "ms",
                 "the window's creation: settings, surfaces, icon set, sockets, first query and refresh");
    ResourceSnapshot afterStart = TakeSnapshot();
    ReportSnapshot("after_start", "after start-up", afterStart);

    MeasureBuild();
    if (!MeasureRefreshAgainstRoundTrip(window, port)) {
        DestroyWindow(window);
        return 1;
    }
    MeasureRefreshParts();
    MeasureAllocationsAndObjects(window);
    MeasureAlerts(window);

    ResourceSnapshot soakStart = TakeSnapshot();
    for (int i = 0; i < soakRefreshes; ++i)
        RefreshOnce(window);
    Pump();
    ResourceSnapshot afterSoak = TakeSnapshot();
    ReportSnapshot("after_10k_refreshes", "after 10,000 more refreshes", afterSoak);
    ReportFigure("object_growth_10k_refreshes", static_cast<double>(ObjectGrowth(soakStart, afterSoak)), "objects",
                 "icon-code objects + GDI + USER objects + handles gained over 10,000 refreshes");
    ReportFigure("working_set_growth_10k_refreshes_kb", afterSoak.workingSetKb - soakStart.workingSetKb, "KiB",
                 "working set gained over the same refreshes");

    // What "適用" does to the icons: a rebuild of the set and a redisplay.
    ResourceSnapshot rebuildStart = TakeSnapshot();
    for (int i = 0; i < rebuilds; ++i) {
        BuildIconSet();
        Redisplay(window, 0);
    }
    Pump();
    ResourceSnapshot afterRebuilds = TakeSnapshot();
    ReportSnapshot("after_100_rebuilds", "after 100 rebuilds", afterRebuilds);
    ReportFigure("object_growth_100_rebuilds", static_cast<double>(ObjectGrowth(rebuildStart, afterRebuilds)),
                 "objects", "icon-code objects + GDI + USER objects + handles gained over 100 rebuilds");
    ReportFigure("working_set_growth_100_rebuilds_kb", afterRebuilds.workingSetKb - rebuildStart.workingSetKb,
                 "KiB", "working set gained over the same rebuilds");

    DestroyWindow(window);
    Pump();
    UnregisterClassA(MAIN_WINDOW_CLASS, instance);
    return 0;
}

int RunBuildBench()
{
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    SetDefaultSettings();
    if (!CreateNumIconSurfaces()) {
        std::fprintf(stderr, "bench: the icon surfaces cannot be made\n");
        return 1;
    }
    const int size = GetSystemMetrics(SM_CXSMICON);
    const std::string suffix = "_" + std::to_string(dpi) + "dpi";
    // One build of each warms the font caches of a freshly started process.
    BuildIconSet();
    LegacyBuildIconSet();
    const BuildTimes times = MedianBuildTimes(SCALE_BUILD_RUNS);
    ReportBuildTimes(times, suffix,
                     "BuildIconSet at " + std::to_string(dpi) + " DPI, icons of " + std::to_string(size) +
                         " px, median of " + std::to_string(SCALE_BUILD_RUNS) + " after one warm-up");
    // The handles alone: what the platform takes for the 617 icons a
    // rebuild destroys and makes, whatever the painting costs.
    const double handles = IconHandlesMs(NUMERIC_ICON_COUNT + 1, size, SCALE_BUILD_RUNS);
    ReportFigure(("icon_handles_ms" + suffix).c_str(), handles, "ms",
                 "617 icons of " + std::to_string(size) +
                     " px made from one prepared image as the build makes them, then destroyed, median of " +
                     std::to_string(SCALE_BUILD_RUNS));
    ReportFigure(("build_beyond_handles_ms" + suffix).c_str(), times.now - handles, "ms",
                 "build_icon_set_ms" + suffix + " - icon_handles_ms" + suffix +
                     ": the painting, the tables and all else the build does");
    const BuildObjects objects = ObjectsMadePerBuild();
    const char* kinds[GDI_KIND_COUNT] = {"icons", "bitmaps", "dcs", "brushes", "fonts"};
    for (int k = 0; k < GDI_KIND_COUNT; ++k) {
        ReportFigure(("build_" + std::string(kinds[k]) + "_made" + suffix).c_str(), objects.now[k], "objects",
                     std::string(kinds[k]) + " the icon code makes in one build (the earlier build: " +
                         std::to_string(objects.old[k]) + ")");
    }
    // The same pixels: the defaults, the outline of eight passes, and the
    // digits in a wide face, which are condensed (without a shadow: the
    // earlier build let a condensed number's shadow be cut at the edges).
    long differing = IconPixelsDifferingFromOldBuild();
    Settings.ShadowType = 7;
    differing += IconPixelsDifferingFromOldBuild();
    Settings.ShadowType = 0;
    std::strcpy(Settings.TextFont.lfFaceName, "Arial");
    differing += IconPixelsDifferingFromOldBuild();
    ReportFigure(("old_build_pixel_differences" + suffix).c_str(), static_cast<double>(differing), "pixels",
                 "icon pixels (colour, mask, drawn over black and over white) that differ from the earlier build's, "
                 "with the defaults, with shadow type 7, and with Arial and no shadow (goal 0)");
    for (CNUMICON& icon : NumIconArray)
        icon.Release();
    ErrorIcon.Release();
    return 0;
}
