// What the Windows build of kelpra-agent lets smartctl reach: only the
// program by full path, only its own pipe ends, and no life beyond the
// agent's (the stand-in smartctl hangs on the fixture "hang").
#include "agent_process.h"
#include "test_env.h"

#include "process_run.h"

#include <tlhelp32.h>

#include <gtest/gtest.h>

namespace {

std::string Standin() { return BuildPath("agent\\standin\\smartctl.exe"); }

// The first process whose parent is `parent`, opened to wait on; else null.
HANDLE ChildOf(DWORD parent)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    HANDLE child = nullptr;
    for (BOOL more = Process32First(snapshot, &entry); more && !child; more = Process32Next(snapshot, &entry))
        if (entry.th32ParentProcessID == parent)
            child = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, entry.th32ProcessID);
    CloseHandle(snapshot);
    return child;
}

TEST(AgentRun, TheChildGetsOnlyItsOwnPipeEndsAndAProgramByFullPathOnly)
{
    SetEnvironmentVariableA("KELPRA_STANDIN_FIXTURES", KELPRA_AGENT_FIXTURES);
    const std::string folder = MakeTempFolder("agent-run"), calls = folder + "\\calls.txt";
    SetEnvironmentVariableA("KELPRA_STANDIN_CALLS", calls.c_str());
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE mine = CreateEventA(&inherit, TRUE, TRUE, nullptr);   // inheritable, signalled
    SetEnvironmentVariableA("KELPRA_STANDIN_HANDLE", std::to_string(reinterpret_cast<uintptr_t>(mine)).c_str());

    SmartctlRun run = RunProgram({Standin(), "--scan-open"}, RunLimits(), [] { return false; });
    EXPECT_EQ(run.end, RunEnd::EXITED);
    EXPECT_NE(run.output.find("/dev/sda"), std::string::npos);
    EXPECT_EQ(ReadWholeFile(calls), "--scan-open\r\n") << "the stand-in held the test's handle";
    // A bare name is not looked up, even in the current directory.
    SetCurrentDirectoryA(BuildPath("agent\\standin").c_str());
    EXPECT_EQ(RunProgram({"smartctl.exe", "--scan-open"}, RunLimits(), [] { return false; }).end, RunEnd::FAILED);
    ChildProcess agent;
    ASSERT_TRUE(agent.Start(Quoted(BuildPath("agent\\kelpra-agent.exe")) + " --once"));
    DWORD code = 0;
    EXPECT_TRUE(agent.WaitExit(10000, &code));
    EXPECT_EQ(code, 1u) << "no smartctl.exe beside kelpra-agent.exe: none is run";
    SetEnvironmentVariableA("KELPRA_STANDIN_HANDLE", nullptr);
    CloseHandle(mine);
    RemoveFolder(folder);
}

TEST(AgentRun, ASmartctlEndsWithTheAgentKilledDuringItsRead)
{
    SetEnvironmentVariableA("KELPRA_STANDIN_FIXTURES", KELPRA_AGENT_FIXTURES);
    ChildProcess agent;
    ASSERT_TRUE(agent.Start(Quoted(BuildPath("agent\\kelpra-agent.exe")) + " --listen 127.0.0.1 --port 0 --device " +
                            "/dev/hang --smartctl " + Quoted(Standin())));
    HANDLE smartctl = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (smartctl = ChildOf(agent.Id())) != nullptr; }, 10000));
    TerminateProcess(agent.Handle(), 1);
    EXPECT_EQ(WaitForSingleObject(smartctl, 5000), WAIT_OBJECT_0) << "the hung smartctl outlived the agent";
    TerminateProcess(smartctl, 1);   // a straggler would hold ctest's output pipe
    CloseHandle(smartctl);
}

} // namespace
