// Hands the hotspot panel's changes to the adapter off the UI thread: one
// worker per kind of change (new name and key through UISetSoftapParam, the
// hidden-name option through UISetSoftapParam2) where the newest request
// wins. A request never waits and no worker is ever cut off inside the
// library: a running worker finishes its call and then takes the newest
// request that came meanwhile, so the last request is the last one the
// adapter hears. Requests in between may be skipped.
#pragma once
#include "adapter/types.h"

// UI thread (any thread works). Copies `info` as the kind's pending request
// and starts the kind's worker unless one is running already.
void RequestSoftapParam(const SoftApCfgInfo& info);
void RequestSoftapParam2(const SoftApCfgInfo& info);

// true while a worker of that kind has work in hand or still to take.
bool SoftapParamWorkerBusy();
bool SoftapParam2WorkerBusy();
