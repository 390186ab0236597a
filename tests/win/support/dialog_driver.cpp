// DialogDriver: one thread timer per driver, found again by its id.
#include "dialog_driver.h"

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

bool Contains(const std::vector<HWND>& list, HWND window)
{
    for (HWND h : list)
        if (h == window)
            return true;
    return false;
}

BOOL CALLBACK MatchDialog(HWND window, LPARAM param)
{
    auto* s = reinterpret_cast<Search*>(param);
    char cls[32] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (!Contains(*s->ignore, window) && lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(window)) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND FindThreadDialog(HWND ignore)
{
    std::vector<HWND> ignored{ignore};
    Search s{&ignored, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchDialog, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

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
    for (size_t i = 0; i < all.size(); ++i)
        if (all[i] == this) {
            all.erase(all.begin() + static_cast<long>(i));
            break;
        }
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
    for (size_t i = 1; i < handled_.size();)
        if (!IsWindow(handled_[i]))
            handled_.erase(handled_.begin() + static_cast<long>(i));
        else
            ++i;
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
