// The value grammar of the settings files: integers, colours and font
// descriptions as texts. Platform-free; the Windows code reads and writes the
// texts through the private-profile functions and converts them here.
#pragma once
#include <cstddef>
#include <cstdint>

// Same members, order and size as the ANSI logical-font record of Windows.
struct FontFields {
    int32_t height;
    int32_t width;
    int32_t escapement;
    int32_t orientation;
    int32_t weight;
    uint8_t italic;
    uint8_t underline;
    uint8_t strikeOut;
    uint8_t charSet;
    uint8_t outPrecision;
    uint8_t clipPrecision;
    uint8_t quality;
    uint8_t pitchAndFamily;
    char faceName[32];
};
static_assert(sizeof(FontFields) == 60, "FontFields must match LOGFONTA");

// Integer value of a setting: empty text gives def; otherwise the decimal
// digits at the very start as an unsigned 32-bit value, wrapping like the
// platform's conversion ("4294967295" gives 0xFFFFFFFF); text that does not
// start with a digit, blanks and signs included, gives 0.
uint32_t ParseProfileUInt(const char* text, uint32_t def);

// Signed value as "%ld" wrote it (the attribute baselines): blanks and one
// sign allowed before the digits; empty text gives def, no number gives 0.
int32_t ParseProfileInt(const char* text, int32_t def);

// Colour value "r,g,b" over a COLORREF (0x00BBGGRR): numbers the scan does
// not reach keep the current component; each number's low 8 bits are used.
// Empty text leaves the colour unchanged.
uint32_t ParseProfileColor(const char* text, uint32_t colorref);

// Font value: thirteen numbers and the face name after the last comma.
// Members the scan does not reach keep their values; an empty face keeps the
// face; a longer face is cut to 31 bytes on a character boundary. A text
// without any comma is rejected. Returns false (font unchanged) for an empty
// or rejected text.
bool ParseProfileFont(const char* text, FontFields& font);

// Writers: "%d,%d,%d" for a colour and the thirteen numbers plus face for a
// font, into a buffer of size bytes (256 in the program).
void FormatProfileColor(uint32_t colorref, char* out, size_t size);
void FormatProfileFont(const FontFields& font, char* out, size_t size);
