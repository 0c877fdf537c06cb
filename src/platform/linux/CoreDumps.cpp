#include "platform/linux/CoreDumps.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/prctl.h>
#include <sys/resource.h>

namespace zelto {

void DisableCoreDumps() {
    // Not dumpable: no core file, and only root may attach or read /proc/PID/mem. The flag is not inherited
    // across exec, so a browser the tray client opens is left as it is.
    if (prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) != 0)
        std::fprintf(stderr, "%s: could not turn core dumps off: %s\n", program_invocation_short_name,
                     std::strerror(errno));
    // Also for a system whose fs.suid_dumpable still dumps such processes. Only the soft limit, which
    // children inherit but may raise again.
    rlimit limit{};
    if (getrlimit(RLIMIT_CORE, &limit) == 0) {
        limit.rlim_cur = 0;
        if (setrlimit(RLIMIT_CORE, &limit) != 0)
            std::fprintf(stderr, "%s: could not limit core files: %s\n", program_invocation_short_name,
                         std::strerror(errno));
    }
}

} // namespace zelto
