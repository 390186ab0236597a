// Who gets a reply: the allow list, then one budget for all replies
// together, then a budget per source address. A 1-byte request draws a
// 3264-byte reply and a UDP source address can be forged, so these limits
// bound what a flood can make the agent send. Known clients keep a
// reserved half of the total: a flood from new addresses takes only what
// lies above it. An address becomes known when it is answered again at
// least a second after its first answer, and only while no new address
// has been refused for a minute, so a flood cannot buy its way in; it
// stays known while it is answered at least every ten minutes.
#pragma once
#include "allow_list.h"
#include "lru_table.h"
#include "token_bucket.h"

#include <string>

struct GateLimits {
    uint32_t totalPerSecond = 200;       // all replies together; also the burst
    uint32_t perSourcePerSecond = 20;    // replies to one address; also its burst
    size_t sources = 4096;               // addresses with a budget of their own
    size_t knownClients = 1024;          // known clients, and as many candidates, remembered
    int64_t knownForMs = 10 * 60 * 1000;
};

enum class GateVerdict { ANSWER, NOT_ALLOWED, OVER_TOTAL, OVER_SOURCE };

class ReplyGate {
public:
    ReplyGate(const AllowList& allow, const GateLimits& limits, int64_t nowMs);

    void SetAllowList(const AllowList& allow) { allow_ = allow; }
    // The verdict on one request from source (host byte order) at nowMs;
    // an ANSWER is counted as sent.
    GateVerdict Admit(uint32_t source, int64_t nowMs);
    // What was refused since the last summary, at most once a minute; ""
    // when nothing was refused or the minute is not over.
    std::string Summary(int64_t nowMs);

private:
    bool Known(uint32_t source, int64_t nowMs);
    void NoteAnswer(uint32_t source, bool known, int64_t nowMs);
    // The verdict; an answer spends the source's own token, nothing else.
    GateVerdict Check(uint32_t source, bool known, int64_t nowMs);

    AllowList allow_;
    GateLimits limits_;
    TokenBucket total_;
    LruTable<TokenBucket> perSource_;
    LruTable<int64_t> known_;        // the time of the last answer
    LruTable<int64_t> candidates_;   // the time of the first answer
    int64_t lastNewRefusedMs_;
    int64_t lastSummaryMs_;
    uint64_t refused_[4] = {};  // by GateVerdict
};
