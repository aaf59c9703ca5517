// The world the client library meets in a test program: the drives of the scenarios, and either
// the disk library in this process (direct mode) or a real halvex serving them (service mode).
// Each test program links one of world_direct.cpp and world_service.cpp; the scenarios are the
// same source in both.
#pragma once

#include <string>

namespace clienttest {

// The directory the scenario drives are built in (PhysicalDrive<N>): this program's device
// directory in direct mode, the service's own in service mode.
std::string driveDirectory();
// Starts what serves the drives, after they are built: direct mode adds drive 0 to this
// program's device directory (so the client may open it); service mode starts halvex.
void startWorld();
void stopWorld();
bool serviceMode();
// Connections the service holds open (one per live client object); 0 in direct mode.
int serviceSessions();

}  // namespace clienttest
