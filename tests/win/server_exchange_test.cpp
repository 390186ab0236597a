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

#include <set>
#include <vector>

namespace {

const char* const BIND_FAILED = "クライアントソケットのバインドに失敗しました。";
const char* const RECEIVE_FAILED = "クライアントソケットの受信に失敗しました。";
const char* const UNRESOLVABLE = "no-such-host.invalid";

const char* const DRIVES = u8R"("drives":[
    {"position":0,"Temperature":38,"MaxTemperature":44,"State":"good","UsageRate":21,"A09":777,
     "Model":"SIM MODEL","Firmware":"FW1","Serial":"SN-0","DriveNumber":"ドライブ 0"},
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
        reply_.assign(REPLY_SIZE, 0);
    }
    int Query(const char* host, UINT port, int showErrors = 1)
    {
        return QueryServer(host, port, reply_.data(), showErrors);
    }
    static void ExpectOneErrorBox(const MsgBoxWatcher& watcher, const char* text)
    {
        std::vector<SeenBox> boxes = watcher.Boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, ERROR_CAPTION);
        EXPECT_EQ(boxes[0].text, text);
        EXPECT_EQ(boxes[0].owner, nullptr);
        // MB_TOPMOST is not checked: Wine 8 leaves such a box without
        // WS_EX_TOPMOST (it sets it for MB_SYSTEMMODAL only).
        EXPECT_TRUE(boxes[0].errorIcon);
        EXPECT_EQ(boxes[0].buttons, 1);
        EXPECT_EQ(AppState.errorBoxOpen, 0);
    }

    std::vector<unsigned char> reply_;
};

TEST_F(ServerExchange, AFullReplyFillsAll16Records)
{
    SimServer sim(WithFaults(""));
    ASSERT_TRUE(sim.Running());
    MsgBoxWatcher watcher;
    EXPECT_EQ(Query("127.0.0.1", sim.Port()), 1);
    DriveRecord r0 = RecordAt(reply_.data(), 0);
    EXPECT_EQ(r0.InUse, 1);
    EXPECT_EQ(r0.Temperature, 38);
    EXPECT_EQ(r0.MaxTemperature, 44);
    EXPECT_EQ(r0.UsageRate, 21);
    EXPECT_EQ(r0.A09, 777);
    EXPECT_STREQ(FieldText(r0.Model).c_str(), "SIM MODEL");
    EXPECT_STREQ(FieldText(r0.DriveNumber).c_str(), "ドライブ 0");
    EXPECT_EQ(RecordAt(reply_.data(), 3).State, DS_DNGR);
    EXPECT_EQ(RecordAt(reply_.data(), 1).InUse, 0);
    ASSERT_TRUE(sim.WaitForRequests(1, 5000));
    EXPECT_EQ(sim.RequestCount(), 1u);
    EXPECT_EQ(sim.Requests()[0].bytes, REPLY_SIZE);
    EXPECT_EQ(watcher.Count(), 0u);

    // A host name is resolved first; a changed scenario is seen next time.
    ASSERT_TRUE(sim.SetScenario(R"({"drives":[{"Temperature":66,"State":"error"}]})"));
    EXPECT_EQ(Query("localhost", sim.Port()), 1);
    EXPECT_EQ(RecordAt(reply_.data(), 0).Temperature, 66);
    EXPECT_EQ(RecordAt(reply_.data(), 0).State, DS_ERR);
}

TEST_F(ServerExchange, A204ByteReplyLeavesTheRestAsTheCallerGaveIt)
{
    SimServer sim(WithFaults(R"({"request":"all","kind":"short","bytes":204})"));
    ASSERT_TRUE(sim.Running());
    reply_.assign(REPLY_SIZE, 0xAB);
    EXPECT_EQ(Query("127.0.0.1", sim.Port()), 1);
    EXPECT_EQ(RecordAt(reply_.data(), 0).Temperature, 38);
    for (size_t i = RECORD_SIZE; i < REPLY_SIZE; ++i)
        ASSERT_EQ(reply_[i], 0xAB) << i;
    reply_.assign(REPLY_SIZE, 0);
    EXPECT_EQ(Query("127.0.0.1", sim.Port()), 1);
    for (size_t i = 1; i < RECORD_COUNT; ++i)
        EXPECT_EQ(RecordAt(reply_.data(), i).InUse, 0) << i;
}

TEST_F(ServerExchange, AnUnresolvableHostShowsTheBindTextOnceUnlessABoxIsOpen)
{
    const struct { int flag; INT32 boxOpen; size_t boxes; } cases[] = {{1, 0, 1}, {1, 1, 0}, {0, 0, 0}};
    for (const auto& c : cases) {
        MsgBoxWatcher watcher;
        AppState.errorBoxOpen = c.boxOpen;
        EXPECT_EQ(Query(UNRESOLVABLE, 10008, c.flag), 0);
        if (c.boxes)
            ExpectOneErrorBox(watcher, BIND_FAILED);
        else
            EXPECT_EQ(watcher.Count(), 0u) << c.flag;
        EXPECT_EQ(AppState.errorBoxOpen, c.boxOpen);
    }
    AppState.errorBoxOpen = 0;
}

TEST_F(ServerExchange, AnOversizeOrEmptyReplyThenATimeOutShowsTheReceiveText)
{
    SimServer sim(WithFaults(R"({"request":1,"kind":"oversize","bytes":4000},{"request":2,"kind":"short","bytes":0},
                                {"request":3,"kind":"no-reply"})"));
    ASSERT_TRUE(sim.Running());
    MsgBoxWatcher watcher;
    EXPECT_EQ(Query("127.0.0.1", sim.Port(), 1), 0);
    ExpectOneErrorBox(watcher, RECEIVE_FAILED);
    EXPECT_EQ(sim.RequestCount(), 3u);
}

TEST_F(ServerExchange, ALaterSuccessClearsAnEarlierFailureAndItsBytes)
{
    // The oversize datagram names drives 0 and 3; the 204-byte reply only 0.
    SimServer sim(WithFaults(R"({"request":1,"kind":"oversize"},{"request":2,"kind":"no-reply"},
                                {"request":3,"kind":"short","bytes":204})"));
    ASSERT_TRUE(sim.Running());
    MsgBoxWatcher watcher;
    EXPECT_EQ(Query("127.0.0.1", sim.Port(), 1), 1);
    EXPECT_EQ(RecordAt(reply_.data(), 0).Temperature, 38);
    EXPECT_EQ(RecordAt(reply_.data(), 3).InUse, 0);
    EXPECT_EQ(sim.RequestCount(), 3u);
    EXPECT_EQ(watcher.Count(), 0u);
}

TEST_F(ServerExchange, AReplyFromAnotherPortOrLateInTheWaitIsTaken)
{
    SimServer sim(WithFaults(R"({"request":1,"kind":"other-port"},{"request":2,"kind":"delay","ms":300})"));
    ASSERT_TRUE(sim.Running());
    EXPECT_EQ(Query("127.0.0.1", sim.Port()), 1);
    EXPECT_EQ(Query("127.0.0.1", sim.Port()), 1);
    EXPECT_EQ(sim.RequestCount(), 2u);
}

TEST_F(ServerExchange, AnyReplyOfOneByteOrMoreIsSuccess)
{
    SimServer sim(WithFaults(R"({"request":"all","kind":"garbage","bytes":100})"));
    ASSERT_TRUE(sim.Running());
    EXPECT_EQ(Query("127.0.0.1", sim.Port()), 1);
    EXPECT_NE(reply_[0], 0);
    EXPECT_EQ(reply_[100], 0);
}

DWORD WINAPI QueryThread(LPVOID param)
{
    auto* args = static_cast<std::pair<UINT, int>*>(param);
    std::vector<unsigned char> reply(REPLY_SIZE, 0);
    args->second = QueryServer("127.0.0.1", args->first, reply.data(), 1);
    return 0;
}

// Three time-outs: three attempts from three ports and, by design, no box.
// TimeOut 0 must still end each wait; with no limit it would never end.
TEST_F(ServerExchange, NoAnswerAtTimeOutZeroEndsAfterThreeAttemptsFromThreePortsWithoutABox)
{
    SimServer sim(WithFaults(R"({"request":"all","kind":"no-reply"})"));
    ASSERT_TRUE(sim.Running());
    MsgBoxWatcher watcher;
    Settings.TimeOut = 0;
    std::pair<UINT, int> args(sim.Port(), -1);
    HANDLE thread = CreateThread(nullptr, 0, QueryThread, &args, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    if (WaitForSingleObject(thread, 60000) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "QueryServer with TimeOut 0 did not return";
        std::fflush(stdout);
        TerminateProcess(GetCurrentProcess(), 3);
    }
    CloseHandle(thread);
    EXPECT_EQ(args.second, 0);
    ASSERT_TRUE(sim.WaitForRequests(3, 5000));
    std::set<unsigned> ports;
    for (const SimRequest& r : sim.Requests()) {
        EXPECT_EQ(r.answer, "none");
        EXPECT_EQ(r.address, "127.0.0.1");
        ports.insert(r.port);
    }
    EXPECT_EQ(ports.size(), 3u);
    EXPECT_EQ(watcher.Count(), 0u);
}

} // namespace
