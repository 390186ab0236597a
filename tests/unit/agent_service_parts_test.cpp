// The platform-free parts of the agent's Windows service: its Options text
// split as a command line, and its log file kept under a limit.
#include "option_text.h"
#include "rotating_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

const struct SplitCase {
    const char* text;
    std::vector<std::string> args;   // {"!"}: refused
} SPLITS[] = {
    {"", {}},
    {"  --port\t10008  ", {"--port", "10008"}},
    {R"(--smartctl "C:\Program Files\smartmontools\bin\smartctl.exe")",
     {"--smartctl", R"(C:\Program Files\smartmontools\bin\smartctl.exe)"}},
    {R"(a"b c"d "" e)", {"ab cd", "", "e"}},
    {R"(\\server\share\ x\\\"y "z\\")", {R"(\\server\share\)", R"(x\"y)", R"(z\)"}},
    {R"(--device "/dev/sda)", {"!"}},
    {"--device /dev/sda\n--port 1", {"!"}},
};

TEST(AgentOptionText, SplitsAsTheRuntimeSplitsACommandLineAndRefusesOpenQuotesAndControls)
{
    for (const SplitCase& c : SPLITS) {
        std::vector<std::string> args;
        std::string error;
        bool ok = SplitOptionText(c.text, &args, &error);
        EXPECT_EQ(ok, c.args != std::vector<std::string>{"!"}) << c.text;
        if (ok)
            EXPECT_EQ(args, c.args) << c.text;
        else
            EXPECT_FALSE(error.empty()) << c.text;
    }
}

std::string Text(const std::filesystem::path& p)
{
    std::stringstream s;
    s << std::ifstream(p, std::ios::binary).rdbuf();
    return s.str();
}

// Lines go after what the file held; a line that would take it past the
// limit starts a new file, the old one kept once (the earlier one dropped).
TEST(AgentRotatingLog, KeepsTheFileUnderItsLimitAndOnePreviousFile)
{
    const auto dir = std::filesystem::temp_directory_path() / ("kelpra-log-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const auto path = dir / "a.log", old = dir / "a.old.log";
    std::ofstream(path) << "earlier\n";
    {
        RotatingLog log(path.string(), old.string(), 12);
        ASSERT_TRUE(log.Open());
        for (const char* line : {"one 5\n", "two 5\n", "three\n", "four\n"})
            log.Write(line);
    }
    EXPECT_EQ(Text(old), "one 5\ntwo 5\n");
    EXPECT_EQ(Text(path), "three\nfour\n");
    std::filesystem::remove_all(dir);
}

} // namespace
