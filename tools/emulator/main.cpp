#include "EmulatorArguments.h"
#include "ServiceEmulator.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace zelto::emulator;
    Arguments arguments;
    std::string error;
    if (!ParseArguments(std::vector<std::string>(argv + 1, argv + argc), arguments, error)) {
        std::fprintf(stderr, "zelto-service-emulator: %s\nTry --help.\n", error.c_str());
        return 2;
    }
    if (arguments.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    try {
        ServiceEmulator emulator(arguments.options, arguments.tls);
        for (const Account& account : arguments.accounts)
            emulator.AddAccount(account);
        emulator.SetFault(arguments.fault);
        std::printf("port %d\n", emulator.Port());
        std::fflush(stdout);
        emulator.Wait();
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "zelto-service-emulator: %s\n", failure.what());
        return 1;
    }
    return 0;
}
