// One-second windows per source address.
#include "rate_limit.h"

namespace {
constexpr int64_t WINDOW_MS = 1000;
}

void RateLimit::Expire(int64_t nowMs)
{
    for (auto it = windows_.begin(); it != windows_.end();)
        it = nowMs - it->second.startMs >= WINDOW_MS ? windows_.erase(it) : std::next(it);
}

bool RateLimit::Allow(uint32_t source, int64_t nowMs)
{
    auto it = windows_.find(source);
    if (it == windows_.end()) {
        if (windows_.size() >= maxSources_)
            Expire(nowMs);
        if (windows_.size() >= maxSources_)
            return false;
        windows_[source] = {nowMs, 1};
        return true;
    }
    Window& w = it->second;
    if (nowMs - w.startMs >= WINDOW_MS)
        w = {nowMs, 0};
    if (w.count >= perSecond_)
        return false;
    ++w.count;
    return true;
}
