#include "shell/DesktopClient.h"

#include <cstdio>

namespace zelto {

int RunDesktopClient(const std::filesystem::path&, int, char**) {
    std::fputs("zelto-premium: the desktop client is not built yet\n", stderr);
    return 1;
}

} // namespace zelto
