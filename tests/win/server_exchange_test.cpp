// The socket library loader (the load count, the handle, the resolution of
// all 25 entry points, where the library is loaded from), then QueryServer
// against velmora-sim on a free loopback port: replies, time-outs, failures
// and the one guarded error box.
#include "link/ws32lib.h"
#include "link/server_exchange.h"

#include "app/app_state.h"
#include "config/settings.h"
#include "link/drive_record.h"
#include "msgbox_watcher.h"
#include "sim_server.h"
#include "socket_session.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <future>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string ModulePath(HMODULE module)
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(module, path, sizeof path);
    return path;
}

// The address held in a function pointer of any type, to compare with
// what GetProcAddress gives.
template <class F>
const void* Address(F function)
{
    const void* p = nullptr;
    static_assert(sizeof function == sizeof p, "function pointers are pointer-sized");
    std::memcpy(&p, &function, sizeof p);
    return p;
}

void ExpectLoaded(unsigned count, HINSTANCE handle)
{
    EXPECT_EQ(WS32LIB_GetLoadCount(), count);
    EXPECT_EQ(WS32LIB_IsLoadDLL(), count > 0 ? 1 : 0);
    EXPECT_EQ(WS32LIB_GetDLLHandle(), handle);
}

// Each test leaves the loader as it found it: not loaded.
class Ws32Lib : public ::testing::Test {
protected:
    void TearDown() override
    {
        while (WS32LIB_GetLoadCount() > 0)
            WS32LIB_UnloadDLL();
    }
};

TEST_F(Ws32Lib, TwoLoadsBindOnceAndTheSecondUnloadReleases)
{
    ExpectLoaded(0, nullptr);
    ASSERT_EQ(WS32LIB_LoadDLL(), 0);
    HINSTANCE first = WS32LIB_GetDLLHandle();
    ASSERT_NE(first, nullptr);
    ASSERT_EQ(WS32LIB_LoadDLL(), 0);
    ExpectLoaded(2, first);
    WS32LIB_UnloadDLL();
    ExpectLoaded(1, first);
    WS32LIB_UnloadDLL();
    ExpectLoaded(0, nullptr);
}

// A stand-in named WSOCK32.DLL in the program's own folder (and the
// current directory), the first places a search by bare name would look,
// is passed over for the system's library. (The exchange's tests below
// use its entries.)
TEST_F(Ws32Lib, LoadResolvesEveryEntryFromTheSystemLibraryNotAFileBesideTheProgram)
{
    const std::string self = ModulePath(nullptr);
    const std::string planted = self.substr(0, self.find_last_of('\\')) + "\\WSOCK32.DLL";
    ASSERT_TRUE(CopyFileA(BuildPath("tests\\win\\ws32_without_recvfrom.dll").c_str(), planted.c_str(), FALSE));
    ASSERT_EQ(WS32LIB_LoadDLL(), 0);
    EXPECT_EQ(GetModuleHandleA(planted.c_str()), nullptr);
    char system[MAX_PATH] = "";
    GetSystemDirectoryA(system, sizeof system);
    const std::string loaded = ModulePath(WS32LIB_GetDLLHandle());
    EXPECT_EQ(lstrcmpiA(loaded.c_str(), (std::string(system) + "\\wsock32.dll").c_str()), 0) << loaded;
    HMODULE module = WS32LIB_GetDLLHandle();
    EXPECT_EQ(Address(WS32LIB_ProcTable.__WSAFDIsSet), Address(GetProcAddress(module, "__WSAFDIsSet")));
    EXPECT_EQ(Address(WS32LIB_ProcTable.recvfrom), Address(GetProcAddress(module, "recvfrom")));
    WS32LIB_UnloadDLL();
    EXPECT_TRUE(DeleteFileA(planted.c_str()));
}

// A library without "recvfrom" resolves the 24 entries before it, and a
// load of it, or of no library at all, fails and leaves nothing loaded.
TEST_F(Ws32Lib, AFailedLoadLeavesNothingLoaded)
{
    const std::string partial = BuildPath("tests\\win\\ws32_without_recvfrom.dll");
    HMODULE stub = LoadLibraryA(partial.c_str());
    ASSERT_NE(stub, nullptr);
    WS32LIB_PROCTABLE table = {};
    EXPECT_EQ(WS32LIB_ResolveEntries(stub, &table), WS32LIB_ENTRY_COUNT - 1);
    EXPECT_EQ(Address(table.recv), Address(GetProcAddress(stub, "recv")));
    EXPECT_EQ(table.recvfrom, nullptr);
    FreeLibrary(stub);
    for (const std::string& path : {partial, BuildPath("tests\\win\\no_such_library.dll")}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(WS32LIB_LoadFrom(path.c_str()), -1);
        ExpectLoaded(0, nullptr);
        EXPECT_EQ(GetModuleHandleA(path.c_str()), nullptr) << "freed again";
    }
    // A good load afterwards is a first load again.
    ASSERT_EQ(WS32LIB_LoadDLL(), 0);
    EXPECT_EQ(WS32LIB_GetLoadCount(), 1u);
}

TEST(Ws32LibPath, ABufferTooSmallGivesAnEmptyPath)
{
    char path[8] = "xxxxxxx";
    EXPECT_FALSE(WS32LIB_SystemLibraryPath(path, sizeof path));
    EXPECT_STREQ(path, "");
}


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
    // In a thread of its own, with a buffer of its own, waited for within a
    // bound: a wait without limit would never end.
    int Query(const char* host, UINT port, int showErrors = 1)
    {
        auto buffer = std::make_shared<std::vector<unsigned char>>(reply_);
        std::packaged_task<int()> task([=] { return QueryServer(host, port, buffer->data(), showErrors); });
        std::future<int> result = task.get_future();
        std::thread(std::move(task)).detach();
        if (result.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
            ADD_FAILURE() << "QueryServer did not return";
            return -1;
        }
        reply_ = *buffer;
        return result.get();
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
