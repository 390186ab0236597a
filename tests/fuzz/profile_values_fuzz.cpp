// The settings file's integer, colour and font readers on any text, the font writer on their font.
#include "config/profile_values.h"
#include "fuzz_checks.h"

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
    RequireText(font.faceName, sizeof font.faceName);   // the face stays terminated inside its field
    FormatProfileFont(font, out, sizeof out);
    RequireText(out, sizeof out);
    return 0;
}
