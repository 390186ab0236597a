// The text form of the colour chooser's sixteen custom colours as kept in
// "CPALLET.INI": 128 hexadecimal digits, two per byte of the 64-byte palette
// in memory order (each colour red, green, blue, 00). Platform-free.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr size_t PALETTE_COLORS = 16;
constexpr size_t PALETTE_BYTES = PALETTE_COLORS * 4;
constexpr size_t PALETTE_TEXT_LENGTH = PALETTE_BYTES * 2;   // 128 digits

// One palette colour: a COLORREF value, red in the low byte.
using PaletteColor = uint32_t;

// The byte of a two-character pair, read the lenient way the file has always
// been read: leading blanks and one sign accepted, digits up to the first
// character that is not a hexadecimal digit (none gives 0), the result cut
// to its low byte ("-1" is FF, "G5" is 00).
uint8_t LenientHexPair(char first, char second);

// Fills colors from text when text is exactly 128 characters long (read at
// most 129 bytes) and returns true; any other length leaves colors as they
// were and returns false.
bool DecodePalette(const char* text, PaletteColor colors[PALETTE_COLORS]);

// Writes the 128 upper-case digits and a terminating 0 into text, which
// must hold PALETTE_TEXT_LENGTH + 1 bytes.
void EncodePalette(const PaletteColor colors[PALETTE_COLORS], char text[PALETTE_TEXT_LENGTH + 1]);
