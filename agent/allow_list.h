// The IPv4 sources that the agent answers: a list of CIDR blocks.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Dotted-quad IPv4 text to an address in host byte order, and back.
bool ParseIpv4(const std::string& text, uint32_t* address);
std::string Ipv4Text(uint32_t address);

// An IPv4 network: an address in host byte order and its prefix length.
struct Ipv4Net {
    uint32_t address;
    int prefix;
};

class AllowList {
public:
    // Adds "a.b.c.d/n" or a single address "a.b.c.d"; false when malformed.
    bool Add(const std::string& cidr);
    void Add(const Ipv4Net& net);
    // address in host byte order.
    bool Allows(uint32_t address) const;
    // True when a block spans every address (0.0.0.0/0).
    bool AllowsEveryone() const;
    // "127.0.0.0/8, 192.168.1.0/24", in the order added, each block once.
    std::string Text() const;

private:
    struct Block {
        uint32_t network;
        uint32_t mask;
        int prefix;
    };
    std::vector<Block> blocks_;
};

// The default: loopback and the host's directly attached IPv4 networks.
AllowList LocalAllowList(const std::vector<Ipv4Net>& hostNetworks);
