// Host address from the command line.
#include "app/command_line.h"

#include "wire/sjis_text.h"

#include <cstring>

void HostAddressFromCommandLine(const char* commandLine, char* out, size_t size)
{
    const char* text = (commandLine && commandLine[0] != '\0') ? commandLine : DEFAULT_HOST_ADDRESS;
    SjisCopy(out, size, text, std::strlen(text));
}
