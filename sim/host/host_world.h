// Host side of the simulated world: makes the PC look as the world's
// [adapterN] sections say (device keys in Wine's registry, the started
// status, a network interface with the adapter's MAC address).
// What is written where: docs/simulator.md, "Host side".
#pragma once
#include "sim/world.h"

#include <string>

// Values in a simulated adapter's device key that the stand-in cfgmgr32.dll
// answers CM_Get_DevNode_Status(_Ex) with (REG_DWORD status and problem).
#define SIM_HOST_STATUS_VALUE L"Q8SimDevNodeStatus"
#define SIM_HOST_PROBLEM_VALUE L"Q8SimProblem"

// Codes of SimApplyHostWorld.
#define SIM_HOST_OK 0
#define SIM_HOST_BAD_WORLD 1  // an [adapterN] section cannot be shown (reason in *error); the rest was applied
#define SIM_HOST_REGISTRY 2   // a registry write failed
#define SIM_HOST_NETWORK 3    // the network interfaces could not be made

// Brings the host in line with `world`. 0 on success; else a non-zero code
// and a readable reason in *error.
int SimApplyHostWorld(const SimWorld& world, std::wstring* error);

// True when SimApplyHostWorld also makes the adapters' network interfaces
// (their MAC addresses as GetAdaptersInfo reports them): Q8SIM_NETNS=1 in the
// environment, set by whoever started this run in a private network
// namespace (tools/run-tests.sh, the demo). Otherwise *why says what is missing.
bool SimHostNetworkReady(std::wstring* why);

// The Wine GUID text "{0000000N-0000-0000-0000-4E6574446576}" of interface index N.
std::wstring SimInterfaceGuid(int index);
