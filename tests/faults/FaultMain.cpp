#include "FaultSupport.h"

#include <gtest/gtest.h>

// Each case runs in a process of its own (gtest_discover_tests), which first takes a mount namespace of
// its own, before any thread starts: then a case can lay a small or read-only file system over its folder
// while the client runs, and nothing of it outlives the process.
int main(int argc, char** argv) {
    zelto::faults::EnterPrivateMounts();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
