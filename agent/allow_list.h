// The IPv4 sources that the agent answers: a list of CIDR blocks.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Dotted-quad IPv4 text to an address in host byte order.
bool ParseIpv4(const std::string& text, uint32_t* address);

class AllowList {
public:
    // Loopback and the private and link-local blocks.
    AllowList();
    void Clear() { blocks_.clear(); }
    // Adds "a.b.c.d/n" or a single address "a.b.c.d"; false when malformed.
    bool Add(const std::string& cidr);
    // address in host byte order.
    bool Allows(uint32_t address) const;

private:
    struct Block {
        uint32_t network;
        uint32_t mask;
    };
    std::vector<Block> blocks_;
};
