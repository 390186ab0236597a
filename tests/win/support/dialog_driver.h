// Drives a modal dialog that the code under test opens on this thread: a
// thread timer fires inside the dialog's modal loop, finds the new "#32770"
// window of the thread and hands it to the test's action.
#pragma once
#include <windows.h>

#include <functional>
#include <vector>

class DialogDriver {
public:
    using Action = std::function<void(HWND dialog)>;

    // The action runs once, on the first visible dialog of this thread that
    // is not `ignore`; after maxTicks timer ticks without one, the driver
    // gives up (so a test that expects a dialog fails instead of hanging).
    explicit DialogDriver(Action action, HWND ignore = nullptr, int maxTicks = 200);
    // One action per dialog, for dialogs that open one after another; each
    // runs on the first visible dialog not yet handled.
    explicit DialogDriver(std::vector<Action> actions, HWND ignore = nullptr, int maxTicks = 200);
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    bool Ran() const { return next_ > 0; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);
    void OnTick();

    std::vector<Action> actions_;
    std::vector<HWND> handled_;   // the ignored window first
    int maxTicks_;
    int ticksLeft_;
    size_t next_ = 0;
    UINT_PTR timer_ = 0;
};

// A click on a dialog's button, as the dialog manager would send it.
void ClickButton(HWND dialog, int id);
// Types a colour into the colour chooser's red, green and blue fields.
void TypeChooserColor(HWND chooser, COLORREF color);
