#include "FaultSupport.h"

#include <gtest/gtest.h>

// Each case runs in a process of its own (gtest_discover_tests) and takes its mount namespace before any
// thread starts, so nothing a case mounts outlives it.
int main(int argc, char** argv) {
    zelto::faults::EnterPrivateMounts();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
