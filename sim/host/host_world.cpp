// Host side of the simulated world (placeholder until discovery's stand-ins land).
#include "sim/host/host_world.h"

int SimApplyHostWorld(const SimWorld&, std::wstring* error) {
    if (error) error->clear();
    return 0;
}
