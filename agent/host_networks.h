// The IPv4 networks directly attached to this host's interfaces that are
// up, as the system reports them now (loopback included).
#pragma once
#include "allow_list.h"

#include <vector>

std::vector<Ipv4Net> HostNetworks();
