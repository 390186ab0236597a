// Faults of the server seen from outside kelpra.exe polling every second: each
// step's picture shows and the next good reply recovers; the reply too large
// opens the one error box, which stays open while the polls fail on.
#include "app/app_state.h"
#include "e2e_support.h"
#include "msgbox_watcher.h"
#include "sim_server.h"

#include <gtest/gtest.h>

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

// What the first icon shows ("": any look, or none); each differs from the one before.
const struct Step {
    const char* name;
    std::string scenario;
    const char* look;
} STEPS[] = {
    {"good", Drive("31", "\"good\""), "cool good"},
    {"no reply", Drive("31", "\"good\"", R"("kind":"no-reply")"), "error"},
    // One byte: InUse 1, everything else 0 in the cleared buffer.
    {"1-byte reply", Drive("34", "\"caution\"", R"("kind":"short","bytes":1)"), "cool good"},
    {"texts without 0 bytes", Drive("39", "\"caution\"", R"("kind":"unterminated")"), "cool caution mark"},
    {"4000-byte reply", Drive("36", "\"good\"", R"("kind":"oversize","bytes":4000)"), "error"},
    {"garbage", Drive("37", "\"good\"", R"("kind":"garbage","bytes":3264)"), ""},
    {"hot and good again", Drive("46", "\"good\""), "hot good"},
};

TEST(Faults, EveryFaultOfTheServerShowsItsPictureAndTheNextGoodReplyRecovers)
{
    SimServer sim(STEPS[0].scenario);
    WriteOnlySection("127.0.0.1", {{"Port", std::to_string(sim.Port())}, {"TimeOut", "1"}, {"Timer", "1"},
                                   {"CommandError", "1"}, NO_ALERTS});

    Kelpra kelpra;
    ASSERT_TRUE(kelpra.Start());
    MsgBoxWatcher boxes(kelpra.Id());
    boxes.Pause(true);   // the box stays open, as when no one is at the screen
    for (const Step& step : STEPS) {
        SCOPED_TRACE(step.name);
        ASSERT_TRUE(&step == STEPS || sim.SetScenario(step.scenario));
        // A failing poll takes its three attempts first; noise only has to
        // be lived through for a few polls.
        const size_t loaded = sim.RequestCount();
        if (*step.look) {
            EXPECT_TRUE(TrayShows({step.look}));
        }
        EXPECT_TRUE(sim.WaitForRequests(loaded + 3, 20000));
    }

    // Silence reports nothing; the reply too large for the buffer is a
    // receive error, and its box is the only one over all the failed polls.
    boxes.Pause(false);
    EXPECT_TRUE(WaitUntil([&] { return boxes.OpenCount() == 0; }, 5000));
    std::vector<SeenBox> seen = boxes.Boxes();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].caption, ERROR_CAPTION);
    EXPECT_EQ(seen[0].text, "クライアントソケットの受信に失敗しました。");
    EXPECT_TRUE(kelpra.CloseWithZero());
}

} // namespace
