// The settings-file value grammar on arbitrary texts: integer, colour and
// font readers, and the font writer on whatever the reader produced.
#include "config/profile_values.h"

#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The profile functions hand over at most 255 bytes and a terminator.
    std::string text(reinterpret_cast<const char*>(data), size < 255 ? size : 255);

    ParseProfileUInt(text.c_str(), 7);
    ParseProfileInt(text.c_str(), -1);
    uint32_t color = ParseProfileColor(text.c_str(), 0x00123456);
    char out[256];
    FormatProfileColor(color, out, sizeof out);

    FontFields font = {};
    std::strcpy(font.faceName, "MS Gothic");
    ParseProfileFont(text.c_str(), font);
    if (std::memchr(font.faceName, 0, sizeof font.faceName) == nullptr)
        __builtin_trap();   // the face must stay terminated inside its field
    FormatProfileFont(font, out, sizeof out);
    if (std::memchr(out, 0, sizeof out) == nullptr)
        __builtin_trap();
    return 0;
}
