// RunProgram on Windows: CreateProcessA by full path with a pipe as standard
// output, PeekNamedPipe to read without blocking. The child inherits only
// its own pipe end and the null device (an explicit handle list), and runs
// in a job that kills it when the agent's handle closes: a smartctl never
// outlives the agent, however the agent ends.
#include "process_run.h"

#include <windows.h>

#include <cctype>
#include <chrono>

namespace {

constexpr DWORD WAIT_STEP_MS = 20;

// Owns a kernel handle; null and INVALID_HANDLE_VALUE are empty.
class Handle {
public:
    explicit Handle(HANDLE h = nullptr) : h_(h) {}
    ~Handle() { Reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE Get() const { return h_; }
    HANDLE* Out() { Reset(); return &h_; }
    bool Valid() const { return h_ && h_ != INVALID_HANDLE_VALUE; }
    HANDLE Release()
    {
        HANDLE h = h_;
        h_ = nullptr;
        return h;
    }
    void Reset(HANDLE h = nullptr)
    {
        if (Valid())
            CloseHandle(h_);
        h_ = h;
    }

private:
    HANDLE h_;
};

// Owns an attribute list that limits what a child inherits to two handles.
class InheritList {
public:
    InheritList(HANDLE a, HANDLE b) : handles_{a, b}
    {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        buffer_.resize(size / sizeof(buffer_[0]) + 1);
        auto list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer_.data());
        if (InitializeProcThreadAttributeList(list, 1, 0, &size)) {
            list_ = list;
            if (!UpdateProcThreadAttribute(list_, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles_, sizeof handles_,
                                           nullptr, nullptr))
                Reset();
        }
    }
    ~InheritList() { Reset(); }
    InheritList(const InheritList&) = delete;
    InheritList& operator=(const InheritList&) = delete;
    LPPROC_THREAD_ATTRIBUTE_LIST Get() const { return list_; }

private:
    void Reset()
    {
        if (list_)
            DeleteProcThreadAttributeList(list_);
        list_ = nullptr;
    }

    HANDLE handles_[2];
    std::vector<unsigned long long> buffer_;   // aligned for the list
    LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

// A job that kills its processes when its last handle closes.
HANDLE NewKillOnCloseJob()
{
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job && !SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        CloseHandle(job);
        return nullptr;
    }
    return job;
}

// A terminated process that had not ended yet.
class HandleStraggler : public Straggler {
public:
    explicit HandleStraggler(HANDLE process) : process_(process) {}
    bool Ended() override { return WaitForSingleObject(process_.Get(), 0) != WAIT_TIMEOUT; }

private:
    Handle process_;
};

// One argument quoted as the C runtime's command-line parser reads it:
// backslashes are literal except before a quote.
std::string Quote(const std::string& arg)
{
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos)
        return arg;
    std::string out = "\"";
    size_t slashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++slashes;
            continue;
        }
        out.append(c == '"' ? slashes * 2 + 1 : slashes, '\\');
        slashes = 0;
        out += c;
    }
    out.append(slashes * 2, '\\');
    return out + "\"";
}

// Appends what the pipe holds now; false at its end.
bool Drain(HANDLE pipe, std::string* output)
{
    DWORD available = 0;
    if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr))
        return false;   // broken pipe: the child and every copy of the write end are gone
    char buffer[65536];
    while (available > 0) {
        DWORD got = 0;
        if (!ReadFile(pipe, buffer, sizeof buffer < available ? sizeof buffer : available, &got, nullptr) || !got)
            return false;
        output->append(buffer, got);
        available -= got;
    }
    return true;
}

// Starts argv suspended with the given standard handles, puts it in job and
// lets it run. False when any step fails (the child, if made, is killed).
bool StartInJob(const std::vector<std::string>& argv, HANDLE nul, HANDLE output, HANDLE job, Handle* process)
{
    std::string commandLine;
    for (const std::string& a : argv)
        commandLine += (commandLine.empty() ? "" : " ") + Quote(a);
    InheritList inherit(nul, output);
    if (!inherit.Get())
        return false;
    STARTUPINFOEXA startup = {};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = nul;
    startup.StartupInfo.hStdOutput = output;
    startup.StartupInfo.hStdError = nul;
    startup.lpAttributeList = inherit.Get();
    PROCESS_INFORMATION info = {};
    // The application name is the full path: nothing is searched for it.
    if (!CreateProcessA(argv[0].c_str(), &commandLine[0], nullptr, nullptr, TRUE,
                        CREATE_SUSPENDED | CREATE_NO_WINDOW | EXTENDED_STARTUPINFO_PRESENT, nullptr, nullptr,
                        &startup.StartupInfo, &info))
        return false;
    process->Reset(info.hProcess);
    Handle thread(info.hThread);
    if (!AssignProcessToJobObject(job, info.hProcess) || ResumeThread(info.hThread) == static_cast<DWORD>(-1)) {
        TerminateProcess(info.hProcess, 1);
        return false;
    }
    return true;
}

} // namespace

bool IsFullPath(const std::string& path)
{
    const bool drive = path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
                       (path[2] == '\\' || path[2] == '/');
    return drive || path.rfind("\\\\", 0) == 0;
}

SmartctlRun RunProgram(const std::vector<std::string>& argv, const RunLimits& limits,
                       const std::function<bool()>& cancelled, std::unique_ptr<Straggler>* straggler)
{
    SmartctlRun run;
    if (argv.empty() || !IsFullPath(argv[0]))
        return run;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    Handle readEnd, writeEnd, job(NewKillOnCloseJob()), process;
    if (!job.Get() || !CreatePipe(readEnd.Out(), writeEnd.Out(), nullptr, 0) ||
        !SetHandleInformation(writeEnd.Get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT))
        return run;
    Handle nul(CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           OPEN_EXISTING, 0, nullptr));
    if (!nul.Valid() || !StartInJob(argv, nul.Get(), writeEnd.Get(), job.Get(), &process))
        return run;
    writeEnd.Reset();

    auto start = std::chrono::steady_clock::now();
    RunEnd end = RunEnd::EXITED;
    bool open = true;
    while (end == RunEnd::EXITED) {
        // Everything the child wrote before it ended is in the pipe by then.
        bool exited = WaitForSingleObject(process.Get(), WAIT_STEP_MS) == WAIT_OBJECT_0;
        open = open && Drain(readEnd.Get(), &run.output);
        if (exited)
            break;
        auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        if (run.output.size() > limits.outputCap)
            end = RunEnd::TOO_LONG;
        else if (elapsed.count() > limits.timeLimitMs)
            end = RunEnd::TIMED_OUT;
        else if (cancelled())
            end = RunEnd::CANCELLED;
    }
    if (run.output.size() > limits.outputCap)
        end = RunEnd::TOO_LONG;
    if (end != RunEnd::EXITED) {
        TerminateJobObject(job.Get(), 1);
        if (WaitForSingleObject(process.Get(), static_cast<DWORD>(limits.reapLimitMs)) == WAIT_TIMEOUT && straggler)
            *straggler = std::make_unique<HandleStraggler>(process.Release());
        run.end = end;
        return run;
    }
    DWORD code = 0;
    GetExitCodeProcess(process.Get(), &code);
    run.end = RunEnd::EXITED;
    run.exitStatus = static_cast<int>(code);
    return run;
}

int ResolveSmartctl(std::string* smartctl, std::string* error)
{
    if (smartctl->empty()) {
        std::string self(MAX_PATH, '\0');
        DWORD n = 0;
        while ((n = GetModuleFileNameA(nullptr, &self[0], static_cast<DWORD>(self.size()))) == self.size())
            self.resize(self.size() * 2);
        self.resize(n);
        *smartctl = self.substr(0, self.find_last_of('\\') + 1) + "smartctl.exe";
    } else if (!IsFullPath(*smartctl)) {
        *error = "--smartctl: '" + *smartctl + "' is not a full path (such as C:\\...\\smartctl.exe)";
        return 2;
    }
    DWORD attributes = GetFileAttributesA(smartctl->c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        *error = "smartctl not found at " + *smartctl;
        return 1;
    }
    return 0;
}
