// Decimal number texts.
#include "serverkit/int_text.h"

#include <cerrno>
#include <cstdlib>

bool ParseInt(const char* text, long lo, long hi, int* out)
{
    char* end = nullptr;
    errno = 0;
    long n = std::strtol(text, &end, 10);
    if (!*text || *end || errno == ERANGE || n < lo || n > hi)
        return false;
    *out = static_cast<int>(n);
    return true;
}
