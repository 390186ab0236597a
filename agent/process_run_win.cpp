// RunProgram on Windows: CreateProcessA with an inherited pipe as standard
// output, PeekNamedPipe to read without blocking, TerminateProcess.
#include "process_run.h"

#include <windows.h>

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
    void Reset(HANDLE h = nullptr)
    {
        if (h_ && h_ != INVALID_HANDLE_VALUE)
            CloseHandle(h_);
        h_ = h;
    }

private:
    HANDLE h_;
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

} // namespace

SmartctlRun RunProgram(const std::vector<std::string>& argv, const RunLimits& limits,
                       const std::function<bool()>& cancelled)
{
    SmartctlRun run;
    if (argv.empty())
        return run;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    Handle readEnd, writeEnd;
    if (!CreatePipe(readEnd.Out(), writeEnd.Out(), &inherit, 0) ||
        !SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0))
        return run;
    Handle nul(CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           OPEN_EXISTING, 0, nullptr));
    std::string commandLine;
    for (const std::string& a : argv)
        commandLine += (commandLine.empty() ? "" : " ") + Quote(a);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul.Get();
    startup.hStdOutput = writeEnd.Get();
    startup.hStdError = nul.Get();
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &info))
        return run;
    Handle process(info.hProcess), thread(info.hThread);
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
        TerminateProcess(process.Get(), 1);
        WaitForSingleObject(process.Get(), INFINITE);
        run.end = end;
        return run;
    }
    DWORD code = 0;
    GetExitCodeProcess(process.Get(), &code);
    run.end = RunEnd::EXITED;
    run.exitStatus = static_cast<int>(code);
    return run;
}
