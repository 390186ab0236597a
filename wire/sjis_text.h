// Byte-bounded handling of Shift-JIS (code page 932) texts: every cut of a
// text falls on a character boundary, never between a lead and a trail byte.
// Platform-free.
#pragma once
#include <cstddef>

// True for a byte that starts a double-byte character in code page 932.
inline bool IsSjisLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Length in bytes of text, reading at most maxRead bytes (the text need not
// be zero-terminated within them).
size_t BoundedLength(const char* text, size_t maxRead);

// The longest prefix of the first `length` bytes of text that is at most
// maxBytes long and does not end inside a double-byte character.
size_t SjisCutLength(const char* text, size_t length, size_t maxBytes);

// After a formatter wrote into text (room bytes) as much as fit of a text
// whose whole length is `formatted`: ends it on a character boundary rather
// than where the formatter stopped. Returns the length kept.
size_t SjisEndFormatted(char* text, size_t room, size_t formatted);

// Copies text into dest (destSize bytes, always zero-terminated when
// destSize > 0), reading at most srcMax bytes of text and cutting on a
// character boundary. Returns the number of bytes copied.
size_t SjisCopy(char* dest, size_t destSize, const char* text, size_t srcMax);
