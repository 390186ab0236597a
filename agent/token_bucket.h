// A token bucket: up to `burst` events at once, and on average `perSecond`
// events a second after that. Time is a steady clock in milliseconds that
// the caller reads, so that tests can give it.
#pragma once
#include <cstdint>

class TokenBucket {
public:
    // Starts full.
    TokenBucket(uint32_t perSecond, uint32_t burst, int64_t nowMs);

    // True when more than `keep` whole tokens are in the bucket at nowMs.
    bool Has(int64_t nowMs, uint32_t keep = 0);
    // Takes one token; call only after Has said true.
    void Spend() { milli_ -= MILLI; }
    bool Take(int64_t nowMs)
    {
        if (!Has(nowMs))
            return false;
        Spend();
        return true;
    }

private:
    static constexpr uint64_t MILLI = 1000;   // tokens are kept in thousandths: no rounding drift

    uint64_t perSecond_;
    uint64_t capacity_;
    uint64_t milli_;
    int64_t lastMs_;
};
