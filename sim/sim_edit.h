// Changes to the simulated world that simctl and the end-to-end harness both
// make, so that a test and a person at the demo change the world alike.
#pragma once
#include "sim/world.h"

#include <cstdint>
#include <string>

struct SimPlugOptions {
    std::wstring mac;     // empty: keep the adapter's, or its default
    std::wstring guid;    // empty: keep the adapter's, or its default
    bool bStopped;        // started=0: plugged in but not running
    bool bNoConnection;   // connection=0: no "\Connection" key
    bool bLowerCase;      // GUID written in lower case, as some PCs keep it
};

// Plugs adapter N (0..7) in; a new adapter gets the test bench's defaults.
// false (and nothing changed) for a bad number, MAC or GUID.
bool SimPlugAdapter(SimWorld& world, int n, const SimPlugOptions& options);

// Arms [fail] for one operation: `status` for the next `count` calls (-1 = every
// call); status 0 disarms it. false for an unknown operation.
bool SimArmFailure(SimWorld& world, const std::wstring& op, int32_t status, int32_t count);

// Appends connection name|guid|media|status to [ics]; false when the GUID is
// malformed or the list is full.
bool SimAddIcsConnection(SimWorld& world, const std::wstring& name, const std::wstring& guid, int32_t mediaType,
                         int32_t status);

// Appends one event code to sim_events.txt beside the world file.
bool SimAppendEvent(const std::wstring& worldPath, int32_t code);
