#pragma once

// Area averaging at a factor of exactly one half on both axes: every destination pixel is the
// mean of a 2 x 2 box, rounded half up, which integer sums give exactly.

#include "ResizeJob.h"

namespace ormidon::resize {

// True when the call halves both axes and every box lies inside the region, so that no source
// row or column is repeated.
bool IsExactHalving(const ResizeJob& job);

// Writes the destination of such a call; needs no scratch memory.
void RunHalving(const ResizeJob& job);

}  // namespace ormidon::resize
