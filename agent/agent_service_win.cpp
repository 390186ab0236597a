// The KelpraAgent service: its options are the command line's, then those
// of the REG_SZ value Options under its Parameters key, on top of a local
// default (127.0.0.1 only). It reports RUNNING once its socket is bound and
// ends on STOP or SHUTDOWN through the agent's own stop request, which also
// kills a running smartctl. A start-up failure reports STOPPED with the
// agent's exit status as the service-specific code, and its reason goes to
// the log and the event log.
#include "agent_service_win.h"

#include "agent_log.h"
#include "agent_run.h"
#include "option_text.h"
#include "process_run.h"
#include "service_log_win.h"
#include "serverkit/stop_signal.h"
#include "serverkit/udp_endpoint.h"

#include <windows.h>

#include <cstdio>
#include <mutex>

namespace {

char SERVICE_NAME[] = "KelpraAgent";
constexpr char PARAMETERS_KEY[] = "SYSTEM\\CurrentControlSet\\Services\\KelpraAgent\\Parameters";
// The scan before the socket is bound may last up to smartctl's time limit.
constexpr DWORD START_WAIT_HINT_MS = SMARTCTL_TIME_LIMIT_MS + 5000;
constexpr DWORD STOP_WAIT_HINT_MS = 10000;

// The service's state as the service manager sees it. STOP and SHUTDOWN
// are accepted from the start, so a hung scan can be stopped too; once a
// stop is asked for or STOPPED reported, nothing goes back to RUNNING.
class ServiceState {
public:
    void Attach(SERVICE_STATUS_HANDLE handle)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        handle_ = handle;
    }
    void Report(DWORD state, int exitStatus = 0)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!handle_ || status_.dwCurrentState == SERVICE_STOPPED ||
            (state == SERVICE_RUNNING && status_.dwCurrentState == SERVICE_STOP_PENDING))
            return;
        status_.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
        status_.dwCurrentState = state;
        status_.dwControlsAccepted = state == SERVICE_STOPPED ? 0 : SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN;
        status_.dwWin32ExitCode = exitStatus ? ERROR_SERVICE_SPECIFIC_ERROR : NO_ERROR;
        status_.dwServiceSpecificExitCode = static_cast<DWORD>(exitStatus);
        status_.dwCheckPoint = state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING ? ++checkPoint_ : 0;
        status_.dwWaitHint = state == SERVICE_START_PENDING ? START_WAIT_HINT_MS
                             : state == SERVICE_STOP_PENDING ? STOP_WAIT_HINT_MS
                                                              : 0;
        running_ = running_ || state == SERVICE_RUNNING;
        SetServiceStatus(handle_, &status_);
    }
    bool WasRunning()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return running_;
    }

private:
    std::mutex mutex_;
    SERVICE_STATUS_HANDLE handle_ = nullptr;
    SERVICE_STATUS status_ = {};
    DWORD checkPoint_ = 0;
    bool running_ = false;
};

ServiceState State;
// Set once the agent has ended, before STOPPED is reported; made before the
// dispatcher starts and kept until the process ends.
HANDLE AgentEnded = nullptr;
std::vector<std::string> CommandLine;   // the process's arguments, --service among them

DWORD WINAPI OnControl(DWORD control, DWORD, void*, void*)
{
    switch (control) {
    case SERVICE_CONTROL_STOP:
    case SERVICE_CONTROL_SHUTDOWN:
        RequestStop(control == SERVICE_CONTROL_STOP ? "service stop" : "shutdown");
        State.Report(SERVICE_STOP_PENDING);
        // Answered once the agent has ended (a fraction of a second), so
        // that whoever asked, an uninstall about to delete this program
        // among them, goes on with nothing of the service left running.
        WaitForSingleObject(AgentEnded, STOP_WAIT_HINT_MS);
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
        return NO_ERROR;
    default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

// The Options value: "" when there is none; false for one that is not a
// REG_SZ or cannot be read.
bool ReadOptionsValue(std::string* text, std::string* error)
{
    DWORD size = 0;
    LSTATUS status = RegGetValueA(HKEY_LOCAL_MACHINE, PARAMETERS_KEY, "Options", RRF_RT_REG_SZ, nullptr, nullptr,
                                  &size);
    if (status == ERROR_FILE_NOT_FOUND)
        return true;
    if (status == ERROR_SUCCESS) {
        text->assign(size, '\0');
        status = RegGetValueA(HKEY_LOCAL_MACHINE, PARAMETERS_KEY, "Options", RRF_RT_REG_SZ, nullptr, &(*text)[0],
                              &size);
        text->resize(status == ERROR_SUCCESS && size ? size - 1 : 0);
    }
    if (status != ERROR_SUCCESS)
        *error = "the Options value cannot be read as a REG_SZ text (error " + std::to_string(status) + ")";
    return status == ERROR_SUCCESS;
}

// The service's options; 0, or the exit status to stop with and *error.
int ServiceOptions(AgentOptions* options, std::string* error)
{
    std::string text;
    std::vector<std::string> args = {"kelpra-agent", "--listen", "127.0.0.1"};
    args.insert(args.end(), CommandLine.begin(), CommandLine.end());
    if (!ReadOptionsValue(&text, error) || !SplitOptionText(text, &args, error)) {
        *error = std::string(PARAMETERS_KEY) + ": " + *error;
        return EXIT_INVALID;
    }
    std::vector<const char*> argv;
    for (const std::string& a : args)
        argv.push_back(a.c_str());
    if (!ParseAgentOptions(static_cast<int>(argv.size()), argv.data(), options, error)) {
        *error = "options '" + text + "' (" + PARAMETERS_KEY + "\\Options): " + *error;
        return EXIT_INVALID;
    }
    if (options->once || options->help) {
        *error = "--once and --help are not for the service";
        return EXIT_INVALID;
    }
    return ResolveSmartctl(&options->smartctl, error);
}

// The service's run, from the options to the end of the agent; its exit status.
int RunService()
{
    ServiceLog log;
    AgentOptions options;
    std::string error;
    int status = ServiceOptions(&options, &error);
    if (status == 0) {
        SocketSystem sockets;
        status = RunAgent(options, [] { State.Report(SERVICE_RUNNING); });
    } else {
        AgentLog(error);
    }
    if (StopRequested())
        return 0;   // stopped while it started: no failure
    if (status != 0 && !State.WasRunning())
        ReportToEventLog("the KelpraAgent service did not start: " + log.LastText());
    return status;
}

void WINAPI ServiceMain(DWORD, char**)
{
    SERVICE_STATUS_HANDLE handle = RegisterServiceCtrlHandlerExA(SERVICE_NAME, OnControl, nullptr);
    if (!handle)
        return;
    State.Attach(handle);
    State.Report(SERVICE_START_PENDING);
    int status = RunService();
    SetEvent(AgentEnded);
    State.Report(SERVICE_STOPPED, status);
    // Nothing is left to clean up. Ending at once, instead of through the
    // dispatcher, frees the program file for an uninstall that deletes it
    // as soon as it has seen STOPPED.
    ExitProcess(static_cast<UINT>(status));
}

} // namespace

int RunAgentService(int argc, char** argv)
{
    CommandLine.assign(argv + 1, argv + argc);
    AgentEnded = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    SERVICE_TABLE_ENTRYA table[] = {{SERVICE_NAME, ServiceMain}, {nullptr, nullptr}};
    if (StartServiceCtrlDispatcherA(table))
        return 0;
    DWORD error = GetLastError();
    CloseHandle(AgentEnded);
    std::fprintf(stderr,
                 "kelpra-agent: --service is for the service control manager, which starts the installed "
                 "KelpraAgent service (error %lu); from a command prompt run kelpra-agent.exe without it\n",
                 static_cast<unsigned long>(error));
    return EXIT_INVALID;
}

void LimitDllSearchToSystem()
{
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}
