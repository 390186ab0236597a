// Reads and closes the message boxes that the code under test opens, from a
// thread of its own, so no test ever hangs on a box.
#pragma once
#include <windows.h>

#include "test_env.h"

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct SeenBox {
    std::string caption;
    std::string text;
    HWND owner = nullptr;
    bool errorIcon = false;        // the system's error icon is shown
    bool informationIcon = false;  // the system's information icon is shown
    int buttons = 0;               // number of push buttons
};

class MsgBoxWatcher {
public:
    // processId 0: boxes of this process; otherwise of that process. Each
    // box is closed with its OK button.
    explicit MsgBoxWatcher(DWORD processId = 0);
    ~MsgBoxWatcher();
    MsgBoxWatcher(const MsgBoxWatcher&) = delete;
    MsgBoxWatcher& operator=(const MsgBoxWatcher&) = delete;

    std::vector<SeenBox> Boxes() const;
    size_t Count() const { return Boxes().size(); }
    // Waits until at least n boxes were seen; false on time-out.
    bool WaitForCount(size_t n, DWORD timeoutMs) const
    {
        return WaitUntil([&] { return Count() >= n; }, timeoutMs, 20);
    }
    // While paused, boxes stay open (to test what happens meanwhile).
    void Pause(bool paused) { paused_ = paused; }
    size_t OpenCount() const { return open_; }

private:
    void Run();

    DWORD processId_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> paused_{false};
    std::atomic<size_t> open_{0};
    mutable std::mutex mutex_;
    std::vector<SeenBox> boxes_;
    std::thread thread_;
};
