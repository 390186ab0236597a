// Shift-JIS texts cut on a character boundary, in copies, record fields and the host.
#include "app/command_line.h"
#include "wire/sjis_text.h"
#include "wire/drive_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(SjisCut, NeverEndsInsideADoubleByteCharacter)
{
    // "ソ" is 0x83 0x5C, a backslash trail; in "亜" (0x88 0x9F) the trail looks like a lead.
    struct Case { std::string text; size_t max, expected; } cases[] = {
        {"ab\x83\x5C" "cd", 0, 0}, {"ab\x83\x5C" "cd", 3, 2}, {"ab\x83\x5C" "cd", 4, 4},
        {"ab\x83\x5C" "cd", 5, 5}, {"ab\x83\x5C" "cd", 99, 6},
        {"\x88\x9F\x88\x9F\x88\x9F", 3, 2}, {"\x88\x9F\x88\x9F\x88\x9F", 5, 4},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SjisCutLength(c.text.data(), c.text.size(), c.max), c.expected) << c.text << " " << c.max;

    char text[6] = "abcd\x83";   // what the formatter leaves of "abcdソ"
    EXPECT_EQ(SjisEndFormatted(text, sizeof text, 6), 4u);
    EXPECT_STREQ(text, "abcd");
}

TEST(SjisCopy, ReadsNoFurtherThanTheFieldAndAlwaysTerminates)
{
    const char field[4] = {'W', 'X', 'Y', 'Z'};   // no terminating 0
    char out[16];
    EXPECT_EQ(SjisCopy(out, sizeof out, field, sizeof field), 4u);
    EXPECT_STREQ(out, "WXYZ");
    // A lead byte at the very end of the field has no trail: it is kept alone.
    EXPECT_EQ(SjisCopy(out, sizeof out, "a\x82", 2), 2u);

    DriveRecord rec;
    std::memset(&rec, 'x', sizeof rec);   // no field has its 0
    EXPECT_EQ(FieldText(rec.Model).size(), 64u);
    std::strcpy(rec.DriveNumber, "ドライブ");   // 8 bytes
    char small[6];
    EXPECT_EQ(CopyField(small, sizeof small, rec.DriveNumber), 4u);
    EXPECT_STREQ(small, "ドラ");
}

TEST(CommandLine, IsTheHostAddressWholeOrTheDefaultCutTo255Bytes)
{
    // across: a double-byte character across byte 255
    const std::string longLine(300, 'h'), across = std::string(254, 'h') + "\x83\x5C" "tail";
    struct Case { const char* line; std::string host; } cases[] = {
        {"", "127.0.0.1"}, {nullptr, "127.0.0.1"}, {"server.example ", "server.example "}, {"a b", "a b"},
        {longLine.c_str(), std::string(255, 'h')}, {across.c_str(), std::string(254, 'h')},
    };
    char host[256];
    for (const Case& c : cases) {
        HostAddressFromCommandLine(c.line, host, sizeof host);
        EXPECT_EQ(host, c.host);
    }
}

} // namespace
