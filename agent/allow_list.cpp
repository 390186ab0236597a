// CIDR texts and matching.
#include "allow_list.h"

#include "serverkit/int_text.h"

namespace {

const Ipv4Net LOOPBACK = {0x7F000000u, 8};

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

std::string Ipv4Text(uint32_t address)
{
    return std::to_string(address >> 24) + "." + std::to_string(address >> 16 & 255) + "." +
           std::to_string(address >> 8 & 255) + "." + std::to_string(address & 255);
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
    Add(Ipv4Net{address, bits});
    return true;
}

void AllowList::Add(const Ipv4Net& net)
{
    int prefix = net.prefix < 0 ? 0 : net.prefix > 32 ? 32 : net.prefix;
    uint32_t mask = prefix == 0 ? 0 : ~uint32_t{0} << (32 - prefix);
    for (const Block& b : blocks_)
        if (b.network == (net.address & mask) && b.mask == mask)
            return;
    blocks_.push_back({net.address & mask, mask, prefix});
}

bool AllowList::Allows(uint32_t address) const
{
    for (const Block& b : blocks_)
        if ((address & b.mask) == b.network)
            return true;
    return false;
}

bool AllowList::AllowsEveryone() const
{
    for (const Block& b : blocks_)
        if (b.mask == 0)
            return true;
    return false;
}

std::string AllowList::Text() const
{
    std::string text;
    for (const Block& b : blocks_)
        text += (text.empty() ? "" : ", ") + Ipv4Text(b.network) + "/" + std::to_string(b.prefix);
    return text;
}

AllowList LocalAllowList(const std::vector<Ipv4Net>& hostNetworks)
{
    AllowList list;
    list.Add(LOOPBACK);
    for (const Ipv4Net& net : hostNetworks)
        if (net.prefix > 0)   // a netmask of 0 is no attached network
            list.Add(net);
    return list;
}
