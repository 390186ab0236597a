// A minimal debugger loop: forwards every exception to the program and
// reads its debug strings out of its memory.
#include "debug_capture.h"

namespace {

std::string ReadDebugString(HANDLE process, const OUTPUT_DEBUG_STRING_INFO& info)
{
    if (info.fUnicode || info.nDebugStringLength == 0)
        return std::string();
    std::string text(info.nDebugStringLength, '\0');
    SIZE_T read = 0;
    ReadProcessMemory(process, info.lpDebugStringData, &text[0], text.size(), &read);
    text.resize(read);
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

} // namespace

DebuggedRun RunUnderDebugger(const std::string& commandLine, DWORD timeoutMs, void (*onStart)(DWORD, void*),
                             void* context)
{
    DebuggedRun run;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS, nullptr, nullptr, &si,
                        &pi))
        return run;
    run.started = true;
    run.processId = pi.dwProcessId;
    if (onStart)
        onStart(pi.dwProcessId, context);

    const DWORD start = GetTickCount();
    bool seenBreakpoint = false;
    while (GetTickCount() - start < timeoutMs) {
        DEBUG_EVENT ev = {};
        if (!WaitForDebugEvent(&ev, 200))
            continue;
        DWORD status = DBG_CONTINUE;
        switch (ev.dwDebugEventCode) {
        case CREATE_PROCESS_DEBUG_EVENT:
            if (ev.u.CreateProcessInfo.hFile)
                CloseHandle(ev.u.CreateProcessInfo.hFile);
            break;
        case LOAD_DLL_DEBUG_EVENT:
            if (ev.u.LoadDll.hFile)
                CloseHandle(ev.u.LoadDll.hFile);
            break;
        case OUTPUT_DEBUG_STRING_EVENT:
            run.texts.push_back(ReadDebugString(pi.hProcess, ev.u.DebugString));
            break;
        case EXCEPTION_DEBUG_EVENT:
            // The loader's first breakpoint is the debugger's; the program
            // handles everything else itself.
            if (!seenBreakpoint && ev.u.Exception.ExceptionRecord.ExceptionCode == EXCEPTION_BREAKPOINT)
                seenBreakpoint = true;
            else
                status = DBG_EXCEPTION_NOT_HANDLED;
            break;
        case EXIT_PROCESS_DEBUG_EVENT:
            run.ended = true;
            run.exitCode = ev.u.ExitProcess.dwExitCode;
            break;
        default:
            break;
        }
        ContinueDebugEvent(ev.dwProcessId, ev.dwThreadId, status);
        if (run.ended)
            break;
    }
    if (!run.ended) {
        TerminateProcess(pi.hProcess, 99);
        DebugActiveProcessStop(pi.dwProcessId);
    }
    WaitForSingleObject(pi.hProcess, 5000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return run;
}
