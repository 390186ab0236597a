// The settings files' paths composed as text.
#include "config/path_text.h"

#include <cstdio>

namespace {

// The result of formatting into out: a text that was cut is no path.
bool Whole(int written, char* out, size_t size)
{
    if (written > 0 && static_cast<size_t>(written) < size)
        return true;
    if (size > 0)
        out[0] = '\0';
    return false;
}

} // namespace

bool JoinPath(char* out, size_t size, const char* folder, const char* name)
{
    return Whole(std::snprintf(out, size, "%s\\%s", folder, name), out, size);
}

bool VirtualStorePath(char* out, size_t size, const char* localAppData, const char* folder, const char* name)
{
    const char* withoutDrive = folder[0] != '\0' && folder[1] == ':' ? folder + 2 : folder;
    return Whole(std::snprintf(out, size, "%s\\VirtualStore%s\\%s", localAppData, withoutDrive, name), out, size);
}
