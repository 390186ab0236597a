// The host address taken from the program's command line. Platform-free.
#pragma once
#include <cstddef>

constexpr const char* DEFAULT_HOST_ADDRESS = "127.0.0.1";

// The command line as the GUI entry delivers it becomes the host address,
// taken whole (inner and trailing blanks included) and cut to size - 1
// bytes on a Shift-JIS character boundary; empty gives "127.0.0.1".
void HostAddressFromCommandLine(const char* commandLine, char* out, size_t size);
