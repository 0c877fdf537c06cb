// The command line of zelto-premium without the desktop client linked in: what --once and --headless would
// cost if the headless modes were an executable of their own. Only the benchmarks build it.

#include "cli/CommandLine.h"

#include <cstdio>

int main(int argc, char** argv) {
    return zelto::RunCommandLine(argc, argv, [](const std::filesystem::path&, int, char**) {
        std::fputs("zelto-headless-probe: no desktop client in this build\n", stderr);
        return 1;
    });
}
