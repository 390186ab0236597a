// Character-boundary cutting of Shift-JIS texts and the command-line host.
#include "app/command_line.h"
#include "config/sjis_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SjisCut, NeverEndsInsideADoubleByteCharacter)
{
    // "ソ" is 0x83 0x5C: its trail byte is a backslash.
    const std::string text = "ab\x83\x5C" "cd";
    struct Case { size_t max; size_t expected; } cases[] = {
        {0, 0}, {2, 2}, {3, 2}, {4, 4}, {5, 5}, {6, 6}, {99, 6},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SjisCutLength(text.data(), text.size(), c.max), c.expected) << c.max;
}

TEST(SjisCut, TrailBytesThatLookLikeLeadBytesAreNotMisread)
{
    // Three "表" (0x95 0x5C) and "亜" (0x88 0x9F): 0x9F is a trail byte here.
    const std::string text = "\x88\x9F\x88\x9F\x88\x9F";
    EXPECT_EQ(SjisCutLength(text.data(), text.size(), 3), 2u);
    EXPECT_EQ(SjisCutLength(text.data(), text.size(), 5), 4u);
}

TEST(SjisCut, AFormattedTextThatDidNotFitEndsOnACharacterBoundary)
{
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

    char small[3];
    EXPECT_EQ(SjisCopy(small, sizeof small, "\x82\xA0\x82\xA2", 4), 2u);   // "あい" into 2 bytes
    EXPECT_STREQ(small, "\x82\xA0");

    // A lead byte at the very end of the field has no trail: it is kept alone.
    EXPECT_EQ(SjisCopy(out, sizeof out, "a\x82", 2), 2u);
}

TEST(CommandLine, IsTheHostAddressWholeOrTheDefault)
{
    char host[256];
    HostAddressFromCommandLine("", host, sizeof host);
    EXPECT_STREQ(host, "127.0.0.1");
    HostAddressFromCommandLine(nullptr, host, sizeof host);
    EXPECT_STREQ(host, "127.0.0.1");
    HostAddressFromCommandLine("server.example ", host, sizeof host);
    EXPECT_STREQ(host, "server.example ");   // trailing blank kept
    HostAddressFromCommandLine("a b", host, sizeof host);
    EXPECT_STREQ(host, "a b");
}

TEST(CommandLine, LongLinesKeepTheFirst255BytesOnACharacterBoundary)
{
    char host[256];
    std::string line = std::string(300, 'h');
    HostAddressFromCommandLine(line.c_str(), host, sizeof host);
    EXPECT_EQ(std::string(host), std::string(255, 'h'));

    line = std::string(254, 'h') + "\x83\x5C" + "tail";   // a character across byte 255
    HostAddressFromCommandLine(line.c_str(), host, sizeof host);
    EXPECT_EQ(std::string(host), std::string(254, 'h'));
}

} // namespace
