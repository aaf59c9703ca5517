// The recordings on drive 1 of `nvrdisk sample`: four channels of one morning, their index files
// in /1/0/record/ and their payload units spread over the raw data area, partly out of order
// and with gaps, as a recorder leaves them.
#pragma once

#include <vector>

#include "recording_builder.h"

namespace nvrdisk {

std::vector<nvrtest::RecordingPlan> sampleRecordings();

}  // namespace nvrdisk
