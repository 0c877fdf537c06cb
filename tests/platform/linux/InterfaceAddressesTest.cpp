// The machine's own addresses as the kernel reports them, in a network namespace of the test's own whose
// addresses it chose.
#include "platform/linux/InterfaceAddresses.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zelto {
namespace {

// In a network namespace of its own, set up step by step: an interface that is down is left out however
// many addresses it has, one that is up shows all of them in the kernel's order.
TEST(InterfaceAddressesTest, ListsTheAddressesOfInterfacesThatAreUp) {
    const struct {
        const char* setup;
        std::vector<std::string> expected;
    } steps[] = {
        {"ip addr add 10.9.8.7/8 dev lo && ip link add v0 type veth peer name v1 && "
         "ip addr add 198.51.100.9/24 dev v0 && ip addr add 203.0.113.3/24 dev v1 && "
         "ip addr add 203.0.113.200/24 dev v1",
         {}},
        {"ip link set lo up && ip link set v1 up", {"127.0.0.1", "10.9.8.7", "203.0.113.3", "203.0.113.200"}},
    };
    // Exit codes of the child: 0 all steps matched, 10 + N step N listed other addresses or failed to set
    // up, 2 no namespace could be had.
    const pid_t child = ::fork();
    if (child == 0) {
        if (::unshare(CLONE_NEWNET) != 0 && ::unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0)
            ::_exit(2);
        for (int n = 0; n < static_cast<int>(std::size(steps)); ++n) {
            const std::string command = std::string(steps[n].setup) + " >/dev/null 2>&1";
            if (std::system(command.c_str()) != 0 || InterfaceAddresses().List() != steps[n].expected)
                ::_exit(10 + n);
        }
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 2)
        GTEST_SKIP() << "no network namespace of our own (needs root or user namespaces)";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "step " << WEXITSTATUS(status) - 10 << " went wrong: "
                                      << (WEXITSTATUS(status) >= 10 ? steps[WEXITSTATUS(status) - 10].setup : "");
}

} // namespace
} // namespace zelto
