// DebugReport: printf-style developer traces to the debugger output.
#pragma once

void DebugReport(const char* format, ...) __attribute__((format(printf, 1, 2)));
