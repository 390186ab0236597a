// Character-boundary cutting of Shift-JIS texts.
#include "wire/sjis_text.h"

#include <cstring>

size_t BoundedLength(const char* text, size_t maxRead)
{
    const void* end = std::memchr(text, 0, maxRead);
    return end ? static_cast<size_t>(static_cast<const char*>(end) - text) : maxRead;
}

size_t SjisCutLength(const char* text, size_t length, size_t maxBytes)
{
    if (length <= maxBytes)
        return length;
    // Walk whole characters from the start: only from there are lead and
    // trail bytes told apart reliably (a trail byte can look like a lead).
    size_t cut = 0;
    while (cut < maxBytes) {
        size_t width = IsSjisLeadByte(static_cast<unsigned char>(text[cut])) && cut + 1 < length ? 2 : 1;
        if (cut + width > maxBytes)
            break;
        cut += width;
    }
    return cut;
}

size_t SjisEndFormatted(char* text, size_t room, size_t formatted)
{
    if (room == 0)
        return 0;
    // Measured against the whole length: the byte the formatter kept last
    // may be a lead byte whose trail byte did not fit.
    const size_t kept = SjisCutLength(text, formatted, room - 1);
    text[kept] = '\0';
    return kept;
}

size_t SjisCopy(char* dest, size_t destSize, const char* text, size_t srcMax)
{
    if (destSize == 0)
        return 0;
    size_t n = SjisCutLength(text, BoundedLength(text, srcMax), destSize - 1);
    std::memcpy(dest, text, n);
    dest[n] = '\0';
    return n;
}
