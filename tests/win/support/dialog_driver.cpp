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
    HWND ignore;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM param)
{
    auto* s = reinterpret_cast<Search*>(param);
    char cls[32] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (window != s->ignore && lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(window)) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND FindThreadDialog(HWND ignore)
{
    Search s{ignore, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchDialog, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

void ClickButton(HWND dialog, int id)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

DialogDriver::DialogDriver(Action action, HWND ignore, int maxTicks)
    : action_(std::move(action)), ignore_(ignore), ticksLeft_(maxTicks)
{
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
    HWND dialog = FindThreadDialog(ignore_);
    if (dialog == nullptr && --ticksLeft_ > 0)
        return;
    KillTimer(nullptr, timer_);
    timer_ = 0;
    if (dialog == nullptr)
        return;
    ran_ = true;
    action_(dialog);
}
