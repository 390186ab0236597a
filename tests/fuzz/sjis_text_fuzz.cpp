// Cutting any bytes: never beyond the room, never between lead and trail byte, never overread.
#include "fuzz_checks.h"

#include <cstdint>
#include <cstring>
#include <vector>

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
    Require(cut <= room && cut <= length);
    // A text may end in a lone lead byte of its own; only a real cut must fall between characters.
    Require(cut == length || EndsOnBoundary(p, cut));

    std::vector<char> dest(room + 1);
    const size_t copied = SjisCopy(dest.data(), dest.size(), p, text.size());
    Require(copied <= room && dest[copied] == '\0');
    return 0;
}
