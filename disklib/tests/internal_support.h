// Tests of the library's inner workings: the exported functions and the internal tables in one
// program, without the load-time watcher (each test suite starts what it needs).
#pragma once

#include <gtest/gtest.h>

#include "inventory.h"
#include "library_state.h"
#include "test_drives.h"
#include "tqhd.h"

namespace disktest {

class InternalTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        BuildTestDrives();
        drelmo::SetReady(true);  // no watcher thread here: the tests scan themselves
        drelmo::TheInventory().Scan();
    }

    static drelmo::HardDiskEntry* Entry(int number) { return drelmo::TheInventory().FindByDriveNumber(number); }
};

}  // namespace disktest
