// Internal: the fault lists a drive handle takes over when it is opened.
#pragma once

#include <string>
#include <vector>

#include "drive_rules.h"

namespace platform {

// The failing sectors of drive N: those set in this process plus those of the drive's ".faults"
// file in the device directory.
FaultPlan faultPlanForDrive(int number);

// Adds the ranges of a ".faults" text to `plan`; lines that do not read
// "read|write <first sector> <sector count>" are skipped, '#' starts a comment.
void parseFaultLines(const std::string& text, FaultPlan& plan);

}  // namespace platform
