// QueryServer against velmora-sim on a free loopback port: replies, time-outs,
// failures and the one guarded error box.
#include "link/ws32lib.h"
#include "link/server_exchange.h"

#include "app/app_state.h"
#include "config/settings.h"
#include "link/drive_record.h"
#include "msgbox_watcher.h"
#include "sim_server.h"
#include "socket_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <set>
#include <vector>

namespace {

const char* const BIND_FAILED = "クライアントソケットのバインドに失敗しました。";
const char* const RECEIVE_FAILED = "クライアントソケットの受信に失敗しました。";
const char* const LOOPBACK = "127.0.0.1";
// What the caller's buffer holds before each query.
constexpr unsigned char CALLERS = 0xAB;

const char* const DRIVES = R"("drives":[{"position":0,"Temperature":38,"State":"good"},
                                       {"position":3,"Temperature":57,"State":"danger"}])";

std::string WithFaults(const char* faults)
{
    return std::string("{") + DRIVES + ",\"faults\":[" + faults + "]}";
}

class ServerExchange : public ::testing::Test {
protected:
    static void SetUpTestSuite() { StartSockets(); }
    static void TearDownTestSuite() { StopSockets(); }
    void SetUp() override
    {
        SetDefaultSettings();
        Settings.TimeOut = 1;
        AppState.errorBoxOpen = 0;
        reply_.assign(REPLY_SIZE, CALLERS);
    }
    // In a thread with a bounded wait: a wait without limit would never end.
    int Query(const char* host, UINT port, int showErrors = 1)
    {
        auto query = std::async(std::launch::async, [&] { return QueryServer(host, port, reply_.data(), showErrors); });
        if (query.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
            ADD_FAILURE() << "QueryServer did not return";
            std::fflush(stdout);
            TerminateProcess(GetCurrentProcess(), 3);
        }
        return query.get();
    }
    static void ExpectOneErrorBox(const MsgBoxWatcher& watcher, const char* text)
    {
        std::vector<SeenBox> boxes = watcher.Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, ERROR_CAPTION);
        EXPECT_EQ(boxes[0].text, text);
        EXPECT_EQ(boxes[0].owner, nullptr);
        // Not MB_TOPMOST: Wine 8 sets WS_EX_TOPMOST for MB_SYSTEMMODAL only.
        EXPECT_TRUE(boxes[0].errorIcon);
        EXPECT_EQ(boxes[0].buttons, 1);
        EXPECT_EQ(AppState.errorBoxOpen, 0);
    }

    std::vector<unsigned char> reply_;
};

// Each row: the simulator's faults, the host and TimeOut, and what the query
// gives: its result, the one box (if any), the attempts, each from a port of
// its own, and the caller's buffer: `filled` bytes of reply, then `rest` bytes.
TEST_F(ServerExchange, EachFaultGivesItsResultBoxAttemptsAndBuffer)
{
    const struct {
        const char* faults;
        const char* host;
        UINT timeOut;
        int result;
        const char* box;
        size_t attempts, filled;
        unsigned char rest;
    } cases[] = {
        {"", "localhost", 1, 1, nullptr, 1, REPLY_SIZE, 0},
        {R"({"request":"all","kind":"short","bytes":204})", LOOPBACK, 1, 1, nullptr, 1, RECORD_SIZE, CALLERS},
        {R"({"request":"all","kind":"garbage","bytes":100})", LOOPBACK, 1, 1, nullptr, 1, 100, CALLERS},
        // A reply from another port, or late in the wait, is taken.
        {R"({"request":"all","kind":"other-port"})", LOOPBACK, 1, 1, nullptr, 1, REPLY_SIZE, 0},
        {R"({"request":"all","kind":"delay","ms":300})", LOOPBACK, 1, 1, nullptr, 1, REPLY_SIZE, 0},
        // The oversize datagram names drives 0 and 3: no byte of it may
        // outlive its failure into the 204-byte reply.
        {R"({"request":1,"kind":"oversize"},{"request":2,"kind":"no-reply"},
            {"request":3,"kind":"short","bytes":204})", LOOPBACK, 1, 1, nullptr, 3, RECORD_SIZE, 0},
        {R"({"request":1,"kind":"oversize","bytes":4000},{"request":2,"kind":"short","bytes":0},
            {"request":3,"kind":"no-reply"})", LOOPBACK, 1, 0, RECEIVE_FAILED, 3, 0, 0},
        // Only time-outs: by design no box. TimeOut 0 must still end each wait.
        {R"({"request":"all","kind":"no-reply"})", LOOPBACK, 0, 0, nullptr, 3, 0, CALLERS},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.faults);
        SimServer sim(WithFaults(c.faults));
        ASSERT_TRUE(sim.Running());
        MsgBoxWatcher watcher;
        Settings.TimeOut = c.timeOut;
        reply_.assign(REPLY_SIZE, CALLERS);
        EXPECT_EQ(Query(c.host, sim.Port()), c.result);
        EXPECT_TRUE(!c.result || reply_[0] != CALLERS) << "a reply was written";
        EXPECT_TRUE(c.filled < RECORD_SIZE || RecordAt(reply_.data(), 0).Temperature == 38);
        EXPECT_TRUE(c.filled < REPLY_SIZE || RecordAt(reply_.data(), 3).State == DS_DNGR);
        EXPECT_EQ(static_cast<size_t>(std::count(reply_.begin() + c.filled, reply_.end(), c.rest)),
                  REPLY_SIZE - c.filled);
        if (c.box)
            ExpectOneErrorBox(watcher, c.box);
        else
            EXPECT_EQ(watcher.Count(), 0u);
        ASSERT_TRUE(sim.WaitForRequests(c.attempts, 5000));
        const std::vector<unsigned> ports = sim.RequestPorts();
        EXPECT_EQ(std::set<unsigned>(ports.begin(), ports.end()).size(), c.attempts);
    }
}

TEST_F(ServerExchange, AnUnresolvableHostShowsTheBindTextOnceUnlessABoxIsOpen)
{
    const struct { int flag; INT32 boxOpen; size_t boxes; } cases[] = {{1, 0, 1}, {1, 1, 0}, {0, 0, 0}};
    for (const auto& c : cases) {
        MsgBoxWatcher watcher;
        AppState.errorBoxOpen = c.boxOpen;
        EXPECT_EQ(Query("no-such-host.invalid", 10008, c.flag), 0);
        if (c.boxes)
            ExpectOneErrorBox(watcher, BIND_FAILED);
        else
            EXPECT_EQ(watcher.Count(), 0u) << c.flag;
        EXPECT_EQ(AppState.errorBoxOpen, c.boxOpen);
    }
    AppState.errorBoxOpen = 0;
}

} // namespace
