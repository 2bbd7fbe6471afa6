// Host side of the simulated world: makes the PC look as the world's
// [adapterN] sections say (device keys in Wine's registry, the started
// status, a network interface with the adapter's MAC address).
#pragma once
#include "sim/world.h"

#include <string>

// Brings the host in line with `world`. 0 on success; else a non-zero code
// and a readable reason in *error.
int SimApplyHostWorld(const SimWorld& world, std::wstring* error);
