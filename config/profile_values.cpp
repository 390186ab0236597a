// Parsing and formatting of the settings-file value texts.
#include "config/profile_values.h"

#include "wire/sjis_text.h"

#include <cstdio>
#include <cstring>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The decimal digits from p on, wrapping modulo 2^32 as the platform's
// conversions do; p is left after them.
uint32_t ReadDigits(const char*& p)
{
    uint32_t v = 0;
    while (IsDigit(*p))
        v = v * 10u + static_cast<uint32_t>(*p++ - '0');
    return v;
}

// One "%d" conversion: blanks, an optional sign, then at least one digit.
bool ScanNumber(const char*& p, uint32_t& value)
{
    const char* q = p;
    while (IsBlank(*q))
        ++q;
    bool negative = false;
    if (*q == '+' || *q == '-')
        negative = *q++ == '-';
    if (!IsDigit(*q))
        return false;
    const uint32_t v = ReadDigits(q);
    value = negative ? 0u - v : v;
    p = q;
    return true;
}

// Scans up to count comma-separated numbers as "%d,%d,..." would: stops at
// the first number that is missing or the first comma that does not follow
// its number directly. Returns how many numbers were read.
int ScanNumberList(const char* text, uint32_t* values, int count)
{
    const char* p = text;
    int n = 0;
    while (n < count) {
        if (n > 0) {
            if (*p != ',')
                break;
            ++p;
        }
        if (!ScanNumber(p, values[n]))
            break;
        ++n;
    }
    return n;
}

} // namespace

uint32_t ParseProfileUInt(const char* text, uint32_t def)
{
    if (text[0] == '\0')
        return def;
    const char* p = text;
    return ReadDigits(p);
}

int32_t ParseProfileInt(const char* text, int32_t def)
{
    if (text[0] == '\0')
        return def;
    uint32_t value = 0;
    const char* p = text;
    return ScanNumber(p, value) ? static_cast<int32_t>(value) : 0;
}

uint32_t ParseProfileColor(const char* text, uint32_t colorref)
{
    if (text[0] == '\0')
        return colorref;
    uint32_t rgb[3] = {colorref & 0xFF, (colorref >> 8) & 0xFF, (colorref >> 16) & 0xFF};
    ScanNumberList(text, rgb, 3);
    return (rgb[0] & 0xFF) | (rgb[1] & 0xFF) << 8 | (rgb[2] & 0xFF) << 16;
}

bool ParseProfileFont(const char* text, FontFields& font)
{
    const char* lastComma = std::strrchr(text, ',');
    if (text[0] == '\0' || lastComma == nullptr)
        return false;

    uint32_t v[13] = {
        static_cast<uint32_t>(font.height), static_cast<uint32_t>(font.width),
        static_cast<uint32_t>(font.escapement), static_cast<uint32_t>(font.orientation),
        static_cast<uint32_t>(font.weight), font.italic, font.underline, font.strikeOut,
        font.charSet, font.outPrecision, font.clipPrecision, font.quality, font.pitchAndFamily,
    };
    ScanNumberList(text, v, 13);
    font.height = static_cast<int32_t>(v[0]);
    font.width = static_cast<int32_t>(v[1]);
    font.escapement = static_cast<int32_t>(v[2]);
    font.orientation = static_cast<int32_t>(v[3]);
    font.weight = static_cast<int32_t>(v[4]);
    uint8_t* bytes[8] = {&font.italic, &font.underline, &font.strikeOut, &font.charSet,
                         &font.outPrecision, &font.clipPrecision, &font.quality, &font.pitchAndFamily};
    for (int i = 0; i < 8; ++i)
        *bytes[i] = static_cast<uint8_t>(v[5 + i] & 0xFF);

    const char* face = lastComma + 1;
    if (face[0] != '\0')
        SjisCopy(font.faceName, sizeof font.faceName, face, std::strlen(face));
    return true;
}

void FormatProfileColor(uint32_t colorref, char* out, size_t size)
{
    std::snprintf(out, size, "%d,%d,%d", static_cast<int>(colorref & 0xFF),
                  static_cast<int>((colorref >> 8) & 0xFF), static_cast<int>((colorref >> 16) & 0xFF));
}

void FormatProfileFont(const FontFields& f, char* out, size_t size)
{
    char face[sizeof f.faceName];
    SjisCopy(face, sizeof face, f.faceName, sizeof f.faceName);
    std::snprintf(out, size, "%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%s", static_cast<int>(f.height),
                  static_cast<int>(f.width), static_cast<int>(f.escapement), static_cast<int>(f.orientation),
                  static_cast<int>(f.weight), f.italic, f.underline, f.strikeOut, f.charSet, f.outPrecision,
                  f.clipPrecision, f.quality, f.pitchAndFamily, face);
}
