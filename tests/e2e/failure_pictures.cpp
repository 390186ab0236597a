// Every failed case leaves a picture of the desktop in KELPRA_E2E_OUT,
// named after the case, so that a failure can be looked at.
#include "screen.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class FailurePictures : public testing::EmptyTestEventListener {
    void OnTestEnd(const testing::TestInfo& info) override
    {
        const char* out = std::getenv("KELPRA_E2E_OUT");
        if (!out || !info.result()->Failed())
            return;
        Screenshot shot;
        if (!shot.Capture())
            return;
        std::string path = std::string("Z:") + out + "/" + info.test_suite_name() + "." + info.name() + ".bmp";
        for (char& c : path)
            if (c == '/')
                c = '\\';
        shot.SaveBmp(path);
    }
};

// Registered before main runs, as gtest_main gives no other hook.
const bool registered = [] {
    testing::UnitTest::GetInstance()->listeners().Append(new FailurePictures);
    return true;
}();

} // namespace
