// Faults of the server seen from outside kelpra.exe polling every second:
// silence, replies of 1, 204, 3263 and 4000 bytes, noise, texts without 0
// bytes, temperatures and state bytes at their edges; then suspend and
// resume. After each step the first tray icon shows what the step's reply
// means, and the next good reply recovers; the one reply too large opens
// the one error box, which stays open while the polls fail on.
#include "app/app_state.h"
#include "config/settings.h"
#include "e2e_support.h"
#include "msgbox_watcher.h"
#include "sim_server.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

// One drive at position 0 with fixed watched values, so that no step hides
// or shows a mark through an attribute change.
std::string Drive(const std::string& temperature, const std::string& state, const std::string& fault = "")
{
    std::string json = R"({"drives":[{"position":0,"Temperature":)" + temperature + R"(,"State":)" + state +
                       R"(,"A05":0,"A09":10,"AC4":0,"AC5":0,"AC6":0,"Model":"FM-1","DriveNumber":"Disk 0"}])";
    if (!fault.empty())
        json += R"(,"faults":[{"request":"all",)" + fault + "}]";
    return json + "}";
}

constexpr COLORREF NOISE = 2;   // any look, or none

// What the first icon shows; each step's look differs from the one before.
struct Step {
    const char* name;
    std::string scenario;
    COLORREF digits;   // or ERROR_IMAGE, or NOISE
    Badge badge;
};

// Threshold 45 (the default): above it the hot digits; a negative reading
// counts as hot; state 3 the error image; state bytes 4 to 255 show as good.
const Step STEPS[] = {
    {"good", Drive("31", "\"good\""), COOL_DIGITS, Badge::Good},
    {"no reply", Drive("31", "\"good\"", R"("kind":"no-reply")"), ERROR_IMAGE},
    // One byte: InUse 1, everything else 0 in the cleared buffer.
    {"1-byte reply", Drive("34", "\"caution\"", R"("kind":"short","bytes":1)"), COOL_DIGITS, Badge::Good},
    {"204-byte reply", Drive("34", "\"caution\"", R"("kind":"short","bytes":204)"), COOL_DIGITS, Badge::Caution},
    {"3263-byte reply", Drive("35", "\"danger\"", R"("kind":"short","bytes":3263)"), COOL_DIGITS, Badge::Danger},
    {"4000-byte reply", Drive("36", "\"good\"", R"("kind":"oversize","bytes":4000)"), ERROR_IMAGE},
    {"3264-byte reply", Drive("36", "\"good\""), COOL_DIGITS, Badge::Good},
    {"garbage", Drive("37", "\"good\"", R"("kind":"garbage","bytes":3264)"), NOISE},
    {"texts without 0 bytes", Drive("39", "\"caution\"", R"("kind":"unterminated")"), COOL_DIGITS, Badge::Caution},
    {"temperature -1", Drive("-1", "\"good\""), HOT_DIGITS, Badge::Good},
    {"temperature 0", Drive("0", "\"good\""), COOL_DIGITS, Badge::Good},
    {"temperature 46", Drive("46", "\"good\""), HOT_DIGITS, Badge::Good},
    {"temperature 45", Drive("45", "\"good\""), COOL_DIGITS, Badge::Good},
    {"temperature 100", Drive("100", "\"danger\""), HOT_DIGITS, Badge::Danger},
    {"state 2", Drive("40", "2"), COOL_DIGITS, Badge::Danger},
    {"state 3", Drive("40", "3"), ERROR_IMAGE},
    {"state 255", Drive("42", "255"), COOL_DIGITS, Badge::Good},
};

bool Matches(const Step& step, const Screenshot& shot)
{
    const IconLook look = LookAt(shot, 0, step.digits);
    const COLORREF other = step.digits == COOL_DIGITS ? HOT_DIGITS : COOL_DIGITS;
    return step.digits == ERROR_IMAGE ? look.errorImage
                                      : ShowsDigits(look) && look.badge == step.badge && !LookAt(shot, 0, other).digitPixels;
}

// Waits (bounded) for the step's look, a failing poll taking its three
// attempts first, and notes the balloons seen meanwhile; noise only has
// to be lived through for a few polls.
void ExpectStep(const Step& step, const SimServer& sim, size_t loaded, std::set<HWND>& balloons)
{
    if (step.digits == NOISE) {
        EXPECT_TRUE(sim.WaitForRequests(loaded + 3, 20000)) << step.name;
        return;
    }
    Screenshot shot;
    EXPECT_TRUE(WaitUntil([&] {
        for (HWND b : VisibleBalloons())
            balloons.insert(b);
        return shot.Capture() && Matches(step, shot);
    }, 20000, 200))
        << step.name << ": error image " << LookAt(shot, 0, step.digits).errorImage << ", digit pixels "
        << LookAt(shot, 0, step.digits).digitPixels << ", badge " << static_cast<int>(LookAt(shot, 0, step.digits).badge);
    EXPECT_GE(sim.RequestCount(), loaded + 1) << step.name << ": shown after a poll of this step";
}

TEST(Faults, EveryFaultOfTheServerShowsItsPictureAndTheNextGoodReplyRecovers)
{
    SimServer sim(STEPS[0].scenario);
    ASSERT_TRUE(sim.Running());
    WriteOnlySection("127.0.0.1", {{"Port", std::to_string(sim.Port())}, {"TimeOut", "1"}, {"Timer", "1"},
                                   {"CommandError", "1"}, NO_ALERTS});

    Kelpra kelpra;
    ASSERT_TRUE(kelpra.Start());
    MsgBoxWatcher boxes(kelpra.Id());
    boxes.Pause(true);   // the box stays open, as when no one is at the screen
    std::set<HWND> balloons;
    for (const Step& step : STEPS) {
        ASSERT_TRUE(&step == STEPS || sim.SetScenario(step.scenario)) << step.name;
        ExpectStep(step, sim, sim.RequestCount(), balloons);
        ASSERT_TRUE(kelpra.Running()) << "kelpra.exe ended at step " << step.name;
    }

    PostMessageA(kelpra.Window(), WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    Sleep(1500);   // a tick may have been on its way
    const size_t suspended = sim.RequestCount();
    Sleep(2000);
    EXPECT_EQ(sim.RequestCount(), suspended) << "no polls while suspended";
    PostMessageA(kelpra.Window(), WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    EXPECT_TRUE(sim.WaitForRequests(suspended + 2, 10000)) << "polls again after resume";

    EXPECT_TRUE(balloons.empty()) << "Alert=0: the drive got worse without a balloon";

    // Silence reports nothing; the reply too large for the buffer is a
    // receive error, and its box is the only one over all the failed polls.
    boxes.Pause(false);
    EXPECT_TRUE(WaitUntil([&] { return boxes.OpenCount() == 0; }, 5000));
    std::vector<SeenBox> seen = boxes.Boxes();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, ERROR_CAPTION);
    EXPECT_EQ(seen[0].text, "クライアントソケットの受信に失敗しました。");
    EXPECT_TRUE(kelpra.CloseWithZero());
    RemoveProfile(SettingsFilePath());
}

} // namespace
