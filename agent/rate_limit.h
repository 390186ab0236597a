// At most N replies per second to one source address: a 1-byte request
// draws a 3264-byte reply, so without a limit the agent would amplify a
// flood sent with a forged source.
#pragma once
#include <cstddef>
#include <cstdint>
#include <unordered_map>

class RateLimit {
public:
    // maxSources bounds the memory a flood from many addresses can take;
    // beyond it, a new source is refused until old ones expire.
    RateLimit(uint32_t perSecond, size_t maxSources) : perSecond_(perSecond), maxSources_(maxSources) {}

    // True when one more reply to source may go at nowMs (a steady clock).
    bool Allow(uint32_t source, int64_t nowMs);
    size_t Sources() const { return windows_.size(); }

private:
    struct Window {
        int64_t startMs;
        uint32_t count;
    };
    void Expire(int64_t nowMs);

    uint32_t perSecond_;
    size_t maxSources_;
    std::unordered_map<uint32_t, Window> windows_;
};
