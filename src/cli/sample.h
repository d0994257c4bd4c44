// One sample of `watch`: the three registers read and masked as a reading does, and whether a
// masked value changed. Inline, as the watch loop runs it as often as it can.
#pragma once

#include "port.h"

namespace cli {

// The masked registers of the last sample; -1 before the first.
struct Sampler {
    int data = -1, status = -1, control = -1;
};

// True when a masked value differs from the previous sample's, and always for the first.
inline bool Sample(Sampler& sampler) {
    Read_Registers();
    bool changed =
        data_reg != sampler.data || status_reg != sampler.status || control_reg != sampler.control;
    sampler = {data_reg, status_reg, control_reg};
    return changed;
}

} // namespace cli
