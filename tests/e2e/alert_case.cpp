// A drive that gets worse opens its details balloon by itself, once, while
// the polls that follow find it unchanged. (Alert=0: the user session.)
#include "e2e_support.h"
#include "sim_server.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

std::string OneDrive(const char* state)
{
    return std::string(R"({"drives":[{"position":0,"Model":"SIM MODEL","DriveNumber":"Disk 0","Temperature":40,)"
                       R"("State":")") + state + "\"}]}";
}

TEST(Alert, ADriveThatGetsWorseShowsItsBalloonOnceOverTheNextPolls)
{
    SimServer sim(OneDrive("good"));
    WriteOnlySection("127.0.0.1", {{"Port", std::to_string(sim.Port())}, {"TimeOut", "1"}, {"Timer", "1"}});
    Kelpra kelpra;
    ASSERT_TRUE(kelpra.Start());
    ASSERT_TRUE(sim.WaitForRequests(3, 20000)) << "polling";
    EXPECT_TRUE(VisibleBalloons().empty()) << "a good drive alerts nothing";

    ASSERT_TRUE(sim.SetScenario(OneDrive("caution")));
    // A balloon shows about 2 s after the poll that asked for it, and Wine
    // makes a new window for each one: the windows seen over the next polls
    // count them.
    std::set<HWND> seen;
    const size_t worse = sim.RequestCount();
    EXPECT_TRUE(WaitUntil([&] {
        for (HWND b : VisibleBalloons())
            seen.insert(b);
        return sim.RequestCount() >= worse + 7;
    }, 20000)) << "polls went on";
    EXPECT_EQ(seen.size(), 1u) << "once";
    EXPECT_TRUE(kelpra.CloseWithZero());
}

} // namespace
