// Faults of the server seen from outside kelpra.exe, polling every second:
// silence, replies of 1, 204, 3263 and 4000 bytes, noise, texts without 0
// bytes, temperatures and state bytes at their edges; then suspend and
// resume. After each step the first tray icon must show the picture of the
// expected image index, and the next good reply recovers; the one reply too
// large opens the one error box, which stays open while the polls fail on;
// at the end "KELPRA.INI" holds only well-formed lines and known keys.
//
// The expected pictures are painted here, in the test process, by the
// program's own icon set build with the same settings: each screen capture
// of the first tray icon is matched against all 617 of them, drawn over the
// empty taskbar, and the closest must be the expected one.
#include "app/app_state.h"
#include "config/settings.h"
#include "e2e_support.h"
#include "icons/icon_set.h"
#include "icons/numicon.h"
#include "link/drive_record.h"
#include "msgbox_watcher.h"
#include "sim_server.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr DWORD STEP_LIMIT_MS = 20000;   // a failing poll takes three 1-second waits and sleeps

long Distance(const Square& a, const Square& b)
{
    long d = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        for (int shift = 0; shift < 24; shift += 8) {
            int delta = static_cast<int>((a[i] >> shift) & 0xFF) - static_cast<int>((b[i] >> shift) & 0xFF);
            d += delta < 0 ? -delta : delta;
        }
    return d;
}

// The 617 pictures as the tray would show them over the empty taskbar.
class ReferencePictures {
public:
    explicit ReferencePictures(const Square& background)
    {
        IconTableLock.Create("fault matrix references");
        // The settings kelpra.exe starts with: the same file, the same host.
        SetDefaultSettings();
        std::strcpy(Settings.HostAddress, "127.0.0.1");
        LoadSettings();
        const int w = GetSystemMetrics(SM_CXSMICON);
        const int h = GetSystemMetrics(SM_CYSMICON);
        for (uint32_t i = 0; i < NUMERIC_ICON_COUNT; ++i)
            built_ = NumIconArray[i].Create(w, h) && built_;
        built_ = built_ && BuildIconSet();
        for (uint32_t i = 0; i < ICON_COUNT && built_; ++i) {
            HICON icon = i == ICON_ERROR ? ErrorIcon.m_hIcon : NumIconArray[i].m_hIcon;
            pictures_.push_back(Draw(icon, background));
        }
    }
    ~ReferencePictures()
    {
        for (uint32_t i = 0; i < NUMERIC_ICON_COUNT; ++i)
            NumIconArray[i].Release();
        ErrorIcon.Release();
        IconTableLock.Delete();
    }
    ReferencePictures(const ReferencePictures&) = delete;
    ReferencePictures& operator=(const ReferencePictures&) = delete;

    bool Built() const { return built_ && pictures_.size() == ICON_COUNT; }
    // The index whose picture is closest to the square, and its distance.
    uint32_t Closest(const Square& square, long* distance) const
    {
        uint32_t best = 0;
        long bestDistance = -1;
        for (uint32_t i = 0; i < pictures_.size(); ++i) {
            long d = Distance(square, pictures_[i]);
            if (bestDistance < 0 || d < bestDistance) {
                best = i;
                bestDistance = d;
            }
        }
        *distance = bestDistance;
        return best;
    }

private:
    static Square Draw(HICON icon, const Square& background)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = TRAY_ICON_SIZE;
        info.bmiHeader.biHeight = -TRAY_ICON_SIZE;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        uint32_t* bits = nullptr;
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        HGDIOBJ old = SelectObject(dc, bitmap);
        for (size_t i = 0; i < background.size(); ++i)
            bits[i] = background[i];
        DrawIconEx(dc, 0, 0, icon, TRAY_ICON_SIZE, TRAY_ICON_SIZE, 0, nullptr, DI_NORMAL);
        GdiFlush();
        Square s;
        for (int i = 0; i < TRAY_ICON_SIZE * TRAY_ICON_SIZE; ++i)
            s.push_back(bits[i] & 0xFFFFFF);
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        return s;
    }

    bool built_ = true;
    std::vector<Square> pictures_;
};

// Every line a section header or key=value, keys only the known ones.
std::string IllFormedLines(const std::string& file)
{
    static const std::set<std::string> hostKeys = {"port", "timeout", "timer", "commanderror", "alert"};
    static const std::set<std::string> baselineKeys = {"check", "a05", "a09", "ac4", "ac5", "ac6"};
    std::istringstream in(file);
    std::string line, section, bad;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        if (line.front() == '[') {
            if (line.back() != ']')
                bad += "header: " + line + "\n";
            section = line.substr(1, line.size() - 2);
            continue;
        }
        size_t eq = line.find('=');
        std::string key = line.substr(0, eq);
        for (char& c : key)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const std::set<std::string>& keys = section == "127.0.0.1" ? hostKeys : baselineKeys;
        if (eq == std::string::npos || section.empty() || !keys.count(key))
            bad += "[" + section + "] " + line + "\n";
    }
    return bad;
}

// One drive at position 0 with fixed watched values, so that no step hides
// or shows a mark through an attribute change.
std::string Drive(const std::string& temperature, const std::string& state, const std::string& fault = "")
{
    std::string json = R"({"drives":[{"position":0,"Temperature":)" + temperature + R"(,"State":)" + state +
                       R"(,"A05":0,"A09":10,"AC4":0,"AC5":0,"AC6":0,"Model":"FM-1","Firmware":"F1","Serial":"S1",)"
                       R"("DriveNumber":"Disk 0"}])";
    if (!fault.empty())
        json += R"(,"faults":[{"request":"all",)" + fault + "}]";
    return json + "}";
}

constexpr int ANY_PICTURE = -1;   // noise: any of the 617 pictures, or none

struct Step {
    const char* name;
    std::string scenario;
    int image;   // expected image index of the first icon; each differs from the one before
};

// Threshold 45 (the default): above it the hot variant (+100); a negative
// reading counts as hot and shows 99; caution +200, danger +400; state 3
// the error image 616; state bytes 4 to 255 show the number alone.
const Step STEPS[] = {
    {"good", Drive("31", "\"good\""), 31},
    {"no reply", Drive("31", "\"good\"", R"("kind":"no-reply")"), ICON_ERROR},
    // One byte: InUse 1, everything else 0 in the cleared buffer.
    {"1-byte reply", Drive("34", "\"caution\"", R"("kind":"short","bytes":1)"), 0},
    {"204-byte reply", Drive("34", "\"caution\"", R"("kind":"short","bytes":204)"), 234},
    {"3263-byte reply", Drive("35", "\"danger\"", R"("kind":"short","bytes":3263)"), 435},
    {"4000-byte reply", Drive("36", "\"good\"", R"("kind":"oversize","bytes":4000)"), ICON_ERROR},
    {"3264-byte reply", Drive("36", "\"good\""), 36},
    {"garbage", Drive("37", "\"good\"", R"("kind":"garbage","bytes":3264)"), ANY_PICTURE},
    {"texts without 0 bytes", Drive("39", "\"good\"", R"("kind":"unterminated")"), 39},
    {"temperature -1", Drive("-1", "\"caution\""), 399},
    {"temperature 0", Drive("0", "\"good\""), 0},
    {"temperature 45", Drive("45", "\"good\""), 45},
    {"temperature 46", Drive("46", "\"good\""), 146},
    {"temperature 100", Drive("100", "\"danger\""), 599},
    {"state 2", Drive("40", "2"), 440},
    {"state 3", Drive("40", "3"), ICON_ERROR},
    {"state 255", Drive("42", "255"), 42},
};

// Waits (bounded) until the first icon shows the step's picture, a failing
// poll taking its three attempts first.
void ExpectStep(const Step& step, const ReferencePictures& references, const SimServer& sim, size_t loaded)
{
    if (step.image == ANY_PICTURE) {
        // Noise: a few polls of it, and the program lives on.
        EXPECT_TRUE(sim.WaitForRequests(loaded + 3, STEP_LIMIT_MS)) << step.name;
        return;
    }
    uint32_t shown = ICON_COUNT;
    long distance = -1;
    WaitUntil([&] {
        Screenshot shot;
        if (shot.Capture())
            shown = references.Closest(IconPixels(shot, 0), &distance);
        return shown == static_cast<uint32_t>(step.image);
    }, STEP_LIMIT_MS, 200);
    EXPECT_EQ(shown, static_cast<uint32_t>(step.image)) << step.name << " (distance " << distance << ")";
    EXPECT_GE(sim.RequestCount(), loaded + 1) << step.name << ": shown after a poll of this step";
}

void ExpectSuspendStopsThePollingAndResumeStartsIt(const Kelpra& kelpra, const SimServer& sim)
{
    PostMessageA(kelpra.Window(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    Sleep(1500);   // a tick may have been on its way
    const size_t suspended = sim.RequestCount();
    Sleep(2000);
    EXPECT_EQ(sim.RequestCount(), suspended) << "no polls while suspended";
    PostMessageA(kelpra.Window(), WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    EXPECT_TRUE(sim.WaitForRequests(suspended + 2, 10000)) << "polls again after resume";
}

TEST(Faults, EveryFaultOfTheServerShowsItsPictureAndTheNextGoodReplyRecovers)
{
    Screenshot empty;
    ASSERT_TRUE(empty.Capture());
    SimServer sim(STEPS[0].scenario);
    ASSERT_TRUE(sim.Running());
    WriteOnlySection("127.0.0.1", {{"Port", std::to_string(sim.Port())}, {"TimeOut", "1"}, {"Timer", "1"},
                                   {"CommandError", "1"}, NO_ALERTS});
    ReferencePictures references(IconPixels(empty, 0));
    ASSERT_TRUE(references.Built());

    Kelpra kelpra;
    ASSERT_TRUE(kelpra.Start());
    MsgBoxWatcher boxes(kelpra.Id());
    boxes.Pause(true);   // the box stays open, as when no one is at the screen
    std::string current = STEPS[0].scenario;
    for (const Step& step : STEPS) {
        if (step.scenario != current) {
            ASSERT_TRUE(sim.SetScenario(step.scenario)) << step.name;
        }
        current = step.scenario;
        ExpectStep(step, references, sim, sim.RequestCount());
        ASSERT_TRUE(kelpra.Running()) << "kelpra.exe ended at step " << step.name;
    }
    ExpectSuspendStopsThePollingAndResumeStartsIt(kelpra, sim);

    // Silence reports nothing; the reply too large for the buffer is a
    // receive error, and its box is the only one over all the failed polls.
    boxes.Pause(false);
    EXPECT_TRUE(WaitUntil([&] { return boxes.OpenCount() == 0; }, 5000));
    std::vector<SeenBox> seen = boxes.Boxes();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, ERROR_CAPTION);
    EXPECT_EQ(seen[0].text, "クライアントソケットの受信に失敗しました。");
    EXPECT_TRUE(kelpra.CloseWithZero());
    const std::string file = ReadWholeFile(SettingsFilePath());
    EXPECT_NE(file.find("[FM-1:F1:S1]"), std::string::npos) << "the drive's baseline was saved";
    EXPECT_EQ(IllFormedLines(file), "");
    RemoveProfile(SettingsFilePath());
}

} // namespace
