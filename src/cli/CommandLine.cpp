#include "cli/CommandLine.h"

#include "settings/SettingsFile.h"

namespace zelto {

int RunCommandLine(int argc, char** argv, const DesktopLauncher& desktop) {
    return desktop(DefaultSettingsPath(), argc, argv);
}

} // namespace zelto
