// kelpra.exe whose icon set cannot be built: the debugger output names the
// failing icon, the box says so, and the program ends with exit code 0.
#include "config/settings.h"
#include "debug_capture.h"
#include "msgbox_watcher.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct FailingHost {
    const char* hostNumber;   // as written into KELPRA.INI
    const char* trace;        // the one trace expected
};

const FailingHost FAILING_HOSTS[] = {
    {"62", "CNUMICON::CreateIcon(608) ERROR\n"},    // 62 * 16 + 8 = 1000
    {"63", "CNUMICON::CreateIcon(600) ERROR\n"},    // 1008 already
    {"4294967295", "CNUMICON::CreateIcon(600) ERROR\n"},   // the bit pattern of -1
};

const char* const SECTION = "icon-build-fails";

void WatchBoxes(DWORD processId, void* context)
{
    static_cast<std::unique_ptr<MsgBoxWatcher>*>(context)->reset(new MsgBoxWatcher(processId));
}

TEST(IconStartup, FailedBuildReportsTheIconShowsTheBoxAndCloses)
{
    for (const FailingHost& c : FAILING_HOSTS) {
        WritePrivateProfileStringA(SECTION, "HostNumber", c.hostNumber, SettingsFilePath());
        WritePrivateProfileStringA(nullptr, nullptr, nullptr, SettingsFilePath());
        std::unique_ptr<MsgBoxWatcher> boxes;
        const DebuggedRun run =
            RunUnderDebugger("\"" + BuildPath("kelpra.exe") + "\" " + SECTION, 30000, WatchBoxes, &boxes);
        ASSERT_TRUE(run.started);
        EXPECT_TRUE(run.ended) << "HostNumber " << c.hostNumber;
        EXPECT_EQ(run.exitCode, 0u);
        int traces = 0;
        for (const std::string& t : run.texts)
            traces += t == c.trace;
        EXPECT_EQ(traces, 1) << "HostNumber " << c.hostNumber;
        ASSERT_TRUE(boxes);
        const std::vector<SeenBox> seen = boxes->Boxes();
        ASSERT_EQ(seen.size(), 1u) << "HostNumber " << c.hostNumber;
        EXPECT_EQ(seen[0].caption, "エラー情報");
        EXPECT_EQ(seen[0].text, "アイコンのビルドに失敗しました。");
        // (The icon is checked in-process by the icon set tests: system icon
        // handles are not comparable across processes here.)
    }
    WritePrivateProfileStringA(SECTION, nullptr, nullptr, SettingsFilePath());
}

} // namespace
