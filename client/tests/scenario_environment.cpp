// Builds the scenario drives and starts the world once per test program.
#include <gtest/gtest.h>

#include "client_world.h"
#include "scenario_drives.h"
#include "scenario_support.h"

namespace clienttest {
namespace {

class ScenarioEnvironment : public testing::Environment {
public:
    void SetUp() override {
        buildScenarioDrives(driveDirectory());
        startWorld();
        // Drives that arrived after the library loaded are listed once it has seen them.
        ASSERT_TRUE(eventually([] { return listedDisks().size() >= static_cast<size_t>(kNvrDiskCount); }));
    }
    void TearDown() override { stopWorld(); }
};

const testing::Environment* const registered = testing::AddGlobalTestEnvironment(new ScenarioEnvironment);

}  // namespace
}  // namespace clienttest
