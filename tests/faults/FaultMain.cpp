#include "FaultSupport.h"

#include <gtest/gtest.h>

#include <sched.h>

// Each case runs in a process of its own (gtest_discover_tests) and takes its mount namespace before any
// thread starts, so nothing a case mounts outlives it.
int main(int argc, char** argv) {
    zelto::faults::privateMounts =
        ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
