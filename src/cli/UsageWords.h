#pragma once

#include <string_view>

namespace zelto {

// The parts of --help that differ per system, each in the system's own words; Usage.cpp holds the rest.
struct UsageWords {
    std::string_view withoutCommand; // what the program does when given no command
    std::string_view stoppedBy;      // what ends --headless
    std::string_view hookOwners;     // whom the hook and the settings file must belong to
    std::string_view autostartAt;    // when --autostart starts the desktop client
    std::string_view logLines;       // where the lines of --headless and --once go besides the console
    std::string_view otherFiles;     // the files another account's client reads, or empty
};

const UsageWords& PlatformUsageWords();

} // namespace zelto
