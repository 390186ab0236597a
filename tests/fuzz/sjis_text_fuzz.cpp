// Double-byte-safe cutting on arbitrary bytes: a cut never exceeds its
// room, never ends between a lead and a trail byte, and never reads past
// the bytes it was given.
#include "config/sjis_text.h"

#include <cstdint>
#include <cstring>
#include <vector>

// True when the first n bytes of text end on a character boundary.
static bool EndsOnBoundary(const char* text, size_t n)
{
    size_t i = 0;
    while (i < n)
        i += IsSjisLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    return i == n;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const size_t room = data[0];
    // An exactly sized heap copy lets the address sanitizer catch overreads.
    std::vector<char> text(data + 1, data + size);
    const char* p = text.empty() ? "" : text.data();
    const size_t length = BoundedLength(p, text.size());

    const size_t cut = SjisCutLength(p, length, room);
    if (cut > room || cut > length)
        __builtin_trap();
    // A text may end in a lone lead byte of its own; only a real cut must
    // fall between characters.
    if (cut < length && !EndsOnBoundary(p, cut))
        __builtin_trap();

    std::vector<char> dest(room + 1);
    const size_t copied = SjisCopy(dest.data(), dest.size(), p, text.size());
    if (copied > room || dest[copied] != '\0')
        __builtin_trap();
    return 0;
}
