// What the fuzz targets require of their results: a failed check traps, so
// libFuzzer keeps the input.
#pragma once
#include "wire/sjis_text.h"

#include <cstring>

inline void Require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// True when the first n bytes of text end on a character boundary.
inline bool EndsOnBoundary(const char* text, size_t n)
{
    size_t i = 0;
    while (i < n)
        i += IsSjisLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    return i == n;
}

// A zero-terminated text inside its room of n bytes.
inline void RequireText(const char* text, size_t room)
{
    Require(std::memchr(text, 0, room) != nullptr);
}
