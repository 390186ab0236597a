// CIDR texts and matching.
#include "allow_list.h"

#include "serverkit/int_text.h"

namespace {

const char* const DEFAULT_BLOCKS[] = {"127.0.0.0/8", "10.0.0.0/8", "172.16.0.0/12", "192.168.0.0/16",
                                      "169.254.0.0/16"};

bool IsDigits(const std::string& s)
{
    return !s.empty() && s.size() <= 3 && s.find_first_not_of("0123456789") == std::string::npos;
}

} // namespace

bool ParseIpv4(const std::string& text, uint32_t* address)
{
    uint32_t value = 0;
    size_t start = 0;
    for (int part = 0; part < 4; ++part) {
        size_t end = part < 3 ? text.find('.', start) : text.size();
        if (end == std::string::npos)
            return false;
        std::string piece = text.substr(start, end - start);
        int n = 0;
        if (!IsDigits(piece) || !ParseInt(piece.c_str(), 0, 255, &n))
            return false;
        value = value << 8 | static_cast<uint32_t>(n);
        start = end + 1;
    }
    *address = value;
    return true;
}

AllowList::AllowList()
{
    for (const char* block : DEFAULT_BLOCKS)
        Add(block);
}

bool AllowList::Add(const std::string& cidr)
{
    size_t slash = cidr.find('/');
    int bits = 32;
    uint32_t address = 0;
    if (!ParseIpv4(cidr.substr(0, slash), &address))
        return false;
    if (slash != std::string::npos) {
        std::string tail = cidr.substr(slash + 1);
        if (!IsDigits(tail) || !ParseInt(tail.c_str(), 0, 32, &bits))
            return false;
    }
    uint32_t mask = bits == 0 ? 0 : ~uint32_t{0} << (32 - bits);
    blocks_.push_back({address & mask, mask});
    return true;
}

bool AllowList::Allows(uint32_t address) const
{
    for (const Block& b : blocks_)
        if ((address & b.mask) == b.network)
            return true;
    return false;
}
