// Any text decodes without overreading; a decoded palette encodes to text decoding the same.
#include "config/palette_codec.h"
#include "fuzz_checks.h"

#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    PaletteColor colors[PALETTE_COLORS] = {};
    if (!DecodePalette(text.c_str(), colors))
        return 0;
    char encoded[PALETTE_TEXT_LENGTH + 1];
    EncodePalette(colors, encoded);
    PaletteColor again[PALETTE_COLORS] = {};
    Require(DecodePalette(encoded, again) && std::memcmp(colors, again, sizeof colors) == 0);
    return 0;
}
