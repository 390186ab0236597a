// DialogDriver: one thread timer per driver, found again by its id.
#include "dialog_driver.h"

#include <algorithm>
#include <vector>

namespace {

std::vector<DialogDriver*>& Drivers()
{
    static std::vector<DialogDriver*> drivers;
    return drivers;
}

struct Search {
    const std::vector<HWND>* ignore;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM param)
{
    auto* s = reinterpret_cast<Search*>(param);
    char cls[32] = "";
    GetClassNameA(window, cls, sizeof cls);
    const bool ignored = std::find(s->ignore->begin(), s->ignore->end(), window) != s->ignore->end();
    if (!ignored && lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(window)) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

void ClickButton(HWND dialog, int id)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

DialogDriver::DialogDriver(Action action, HWND ignore, int maxTicks)
    : DialogDriver(std::vector<Action>{std::move(action)}, ignore, maxTicks)
{
}

DialogDriver::DialogDriver(std::vector<Action> actions, HWND ignore, int maxTicks)
    : actions_(std::move(actions)), ignore_(ignore), maxTicks_(maxTicks), ticksLeft_(maxTicks)
{
    handled_.push_back(ignore_);
    timer_ = SetTimer(nullptr, 0, 30, Tick);
    Drivers().push_back(this);
}

DialogDriver::~DialogDriver()
{
    if (timer_)
        KillTimer(nullptr, timer_);
    auto& all = Drivers();
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
}

void CALLBACK DialogDriver::Tick(HWND, UINT, UINT_PTR id, DWORD)
{
    for (DialogDriver* d : Drivers())
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
    Search s{&handled_, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchDialog, reinterpret_cast<LPARAM>(&s));
    if (s.found == nullptr) {
        if (--ticksLeft_ <= 0) {
            KillTimer(nullptr, timer_);
            timer_ = 0;
        }
        return;
    }
    handled_.push_back(s.found);
    ticksLeft_ = maxTicks_;
    size_t index = next_++;
    if (next_ == actions_.size()) {
        KillTimer(nullptr, timer_);
        timer_ = 0;
    }
    actions_[index](s.found);
}
