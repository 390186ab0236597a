// Formats a trace into a 1024-byte buffer and hands it to the debugger.
#include "app/debug_report.h"

#include "wire/sjis_text.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

void DebugReport(const char* format, ...)
{
    char text[1024];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (n < 0)
        return;
    // An over-long trace is cut on a character boundary, not mid-character.
    SjisEndFormatted(text, sizeof text, static_cast<size_t>(n));
    OutputDebugStringA(text);
}
