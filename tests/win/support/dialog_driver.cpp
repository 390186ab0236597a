// DialogDriver: one thread timer per driver, found again by its id.
#include "dialog_driver.h"

#include "test_env.h"

#include <algorithm>

namespace {

std::vector<DialogDriver*> drivers;

} // namespace

void ClickButton(HWND dialog, int id)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void TypeChooserColor(HWND chooser, COLORREF color)
{
    SetDlgItemInt(chooser, 706, GetRValue(color), FALSE);
    SetDlgItemInt(chooser, 707, GetGValue(color), FALSE);
    SetDlgItemInt(chooser, 708, GetBValue(color), FALSE);
}

DialogDriver::DialogDriver(Action action, HWND ignore, int maxTicks)
    : DialogDriver(std::vector<Action>{std::move(action)}, ignore, maxTicks)
{
}

DialogDriver::DialogDriver(std::vector<Action> actions, HWND ignore, int maxTicks)
    : actions_(std::move(actions)), handled_{ignore}, maxTicks_(maxTicks), ticksLeft_(maxTicks)
{
    timer_ = SetTimer(nullptr, 0, 30, Tick);
    drivers.push_back(this);
}

DialogDriver::~DialogDriver()
{
    if (timer_)
        KillTimer(nullptr, timer_);
    drivers.erase(std::remove(drivers.begin(), drivers.end(), this), drivers.end());
}

void CALLBACK DialogDriver::Tick(HWND, UINT, UINT_PTR id, DWORD)
{
    for (DialogDriver* d : drivers)
        if (d->timer_ == id) {
            d->OnTick();
            return;
        }
}

void DialogDriver::OnTick()
{
    // Forget closed dialogs: a later one may reuse the handle value.
    handled_.erase(std::remove_if(handled_.begin() + 1, handled_.end(), [](HWND h) { return !IsWindow(h); }),
                   handled_.end());
    // The first visible dialog of this thread (top of the z-order) not yet handled.
    const std::vector<HWND> dialogs = TopLevelWindows(GetCurrentProcessId(), "#32770", true);
    const auto found = std::find_if(dialogs.begin(), dialogs.end(), [this](HWND w) {
        return GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId() &&
               std::find(handled_.begin(), handled_.end(), w) == handled_.end();
    });
    if (found == dialogs.end()) {
        if (--ticksLeft_ <= 0) {
            KillTimer(nullptr, timer_);
            timer_ = 0;
        }
        return;
    }
    handled_.push_back(*found);
    ticksLeft_ = maxTicks_;
    size_t index = next_++;
    if (next_ == actions_.size()) {
        KillTimer(nullptr, timer_);
        timer_ = 0;
    }
    actions_[index](*found);
}
