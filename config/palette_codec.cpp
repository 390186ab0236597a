// Palette text codec: bytes are taken from and put into the colours by
// shifts, so the memory order (little-endian COLORREFs) holds on any host.
#include "config/palette_codec.h"

#include "wire/sjis_text.h"

namespace {

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool IsBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

} // namespace

uint8_t LenientHexPair(char first, char second)
{
    const char pair[2] = {first, second};
    size_t i = 0;
    while (i < 2 && IsBlank(pair[i]))
        ++i;
    bool negative = false;
    if (i < 2 && (pair[i] == '+' || pair[i] == '-')) {
        negative = pair[i] == '-';
        ++i;
    }
    unsigned value = 0;
    for (; i < 2 && HexDigitValue(pair[i]) >= 0; ++i)
        value = value * 16 + static_cast<unsigned>(HexDigitValue(pair[i]));
    if (negative)
        value = 0u - value;
    return static_cast<uint8_t>(value & 0xFF);
}

bool DecodePalette(const char* text, PaletteColor colors[PALETTE_COLORS])
{
    if (BoundedLength(text, PALETTE_TEXT_LENGTH + 1) != PALETTE_TEXT_LENGTH)
        return false;
    for (size_t c = 0; c < PALETTE_COLORS; ++c) {
        PaletteColor color = 0;
        for (size_t b = 0; b < 4; ++b) {
            const char* pair = text + (c * 4 + b) * 2;
            color |= static_cast<PaletteColor>(LenientHexPair(pair[0], pair[1])) << (8 * b);
        }
        colors[c] = color;
    }
    return true;
}

void EncodePalette(const PaletteColor colors[PALETTE_COLORS], char text[PALETTE_TEXT_LENGTH + 1])
{
    static const char DIGITS[] = "0123456789ABCDEF";
    char* out = text;
    for (size_t c = 0; c < PALETTE_COLORS; ++c) {
        for (size_t b = 0; b < 4; ++b) {
            unsigned byte = (colors[c] >> (8 * b)) & 0xFF;
            *out++ = DIGITS[byte >> 4];
            *out++ = DIGITS[byte & 0x0F];
        }
    }
    *out = '\0';
}
