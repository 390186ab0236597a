// Catches this process's debug strings through a vectored exception handler.
#include "debug_output.h"

#include <mutex>

namespace {

std::mutex textsMutex;
std::vector<std::string> texts;

LONG CALLBACK CatchDebugOutput(EXCEPTION_POINTERS* info)
{
    const EXCEPTION_RECORD* r = info->ExceptionRecord;
    if (r->ExceptionCode != DBG_PRINTEXCEPTION_C || r->NumberParameters < 2)
        return EXCEPTION_CONTINUE_SEARCH;
    std::lock_guard<std::mutex> lock(textsMutex);
    texts.emplace_back(reinterpret_cast<const char*>(r->ExceptionInformation[1]));
    return EXCEPTION_CONTINUE_EXECUTION;
}

} // namespace

DebugOutput::DebugOutput() : handler_(AddVectoredExceptionHandler(1, CatchDebugOutput))
{
    std::lock_guard<std::mutex> lock(textsMutex);
    texts.clear();
}

DebugOutput::~DebugOutput()
{
    RemoveVectoredExceptionHandler(handler_);
}

std::vector<std::string> DebugOutput::Texts() const
{
    std::lock_guard<std::mutex> lock(textsMutex);
    return texts;
}
