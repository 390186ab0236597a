// Refill on demand: the tokens earned since the last look, up to the burst.
#include "token_bucket.h"

TokenBucket::TokenBucket(uint32_t perSecond, uint32_t burst, int64_t nowMs)
    : perSecond_(perSecond), capacity_(uint64_t{burst} * MILLI), milli_(capacity_), lastMs_(nowMs)
{
}

bool TokenBucket::Has(int64_t nowMs, uint32_t keep)
{
    if (nowMs > lastMs_) {
        // One millisecond earns perSecond thousandths of a token.
        uint64_t earned = static_cast<uint64_t>(nowMs - lastMs_) * perSecond_;
        milli_ = earned >= capacity_ - milli_ ? capacity_ : milli_ + earned;
        lastMs_ = nowMs;
    }
    return milli_ >= (uint64_t{keep} + 1) * MILLI;
}
