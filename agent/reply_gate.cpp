// The order of the checks and the counts of the refused.
#include "reply_gate.h"

#include <climits>

namespace {

// A new address becomes a known client only after this long without a
// new address refused for the total limit, and when answered again this
// long after its first answer.
constexpr int64_t CALM_MS = 60 * 1000;
constexpr int64_t RETURN_MS = 1000;
constexpr int64_t SUMMARY_EVERY_MS = 60 * 1000;

} // namespace

ReplyGate::ReplyGate(const AllowList& allow, const GateLimits& limits, int64_t nowMs)
    : allow_(allow), limits_(limits), total_(limits.totalPerSecond, limits.totalPerSecond, nowMs),
      perSource_(limits.sources), known_(limits.knownClients), candidates_(limits.knownClients),
      lastNewRefusedMs_(INT64_MIN),
      lastSummaryMs_(nowMs)
{
}

bool ReplyGate::Known(uint32_t source, int64_t nowMs)
{
    const int64_t* answered = known_.Peek(source);
    return answered && nowMs - *answered < limits_.knownForMs;
}

GateVerdict ReplyGate::Check(uint32_t source, bool known, int64_t nowMs)
{
    if (!allow_.Allows(source))
        return GateVerdict::NOT_ALLOWED;
    if (!total_.Has(nowMs, known ? 0 : limits_.totalPerSecond / 2)) {
        if (!known)
            lastNewRefusedMs_ = nowMs;
        return GateVerdict::OVER_TOTAL;
    }
    TokenBucket* own = perSource_.Use(source);
    if (!own)
        own = &perSource_.Put(source, TokenBucket(limits_.perSourcePerSecond, limits_.perSourcePerSecond, nowMs));
    return own->Take(nowMs) ? GateVerdict::ANSWER : GateVerdict::OVER_SOURCE;
}

void ReplyGate::NoteAnswer(uint32_t source, bool known, int64_t nowMs)
{
    if (known) {
        known_.Put(source, nowMs);
        return;
    }
    if (nowMs - CALM_MS < lastNewRefusedMs_)
        return;
    const int64_t* first = candidates_.Peek(source);
    if (!first || nowMs - *first >= limits_.knownForMs)
        candidates_.Put(source, nowMs);
    else if (nowMs - *first >= RETURN_MS)
        known_.Put(source, nowMs);
}

GateVerdict ReplyGate::Admit(uint32_t source, int64_t nowMs)
{
    bool known = Known(source, nowMs);
    GateVerdict verdict = Check(source, known, nowMs);
    if (verdict != GateVerdict::ANSWER) {
        ++refused_[static_cast<int>(verdict)];
        return verdict;
    }
    total_.Spend();
    NoteAnswer(source, known, nowMs);
    return verdict;
}

std::string ReplyGate::Summary(int64_t nowMs)
{
    if (nowMs - lastSummaryMs_ < SUMMARY_EVERY_MS)
        return "";
    uint64_t notAllowed = refused_[static_cast<int>(GateVerdict::NOT_ALLOWED)];
    uint64_t overTotal = refused_[static_cast<int>(GateVerdict::OVER_TOTAL)];
    uint64_t overSource = refused_[static_cast<int>(GateVerdict::OVER_SOURCE)];
    if (notAllowed + overTotal + overSource == 0)
        return "";
    std::string line = "requests refused in the last " + std::to_string((nowMs - lastSummaryMs_) / 1000) +
                       " s: " + std::to_string(notAllowed) + " from sources not allowed, " +
                       std::to_string(overTotal) + " over the limit of " + std::to_string(limits_.totalPerSecond) +
                       " replies a second in total, " + std::to_string(overSource) + " over the limit of " +
                       std::to_string(limits_.perSourcePerSecond) + " a second per source";
    lastSummaryMs_ = nowMs;
    for (uint64_t& n : refused_)
        n = 0;
    return line;
}
