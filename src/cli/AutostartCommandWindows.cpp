// --autostart on|off on Windows: the desktop program under the current user's Run key.

#include "cli/AutostartCommand.h"

#include "cli/Usage.h"
#include "platform/windows/RunKeyAutostart.h"

namespace zelto {

int RunAutostartCommand(const std::vector<std::string>& args, const std::optional<std::filesystem::path>& settings,
                        Console& console) {
    if (args.size() != 1 || (args[0] != "on" && args[0] != "off"))
        return UsageError(console, "--autostart takes on or off");
    const std::string shown = RunKeyAutostart::kShownName;
    std::string problem;

    if (args[0] == "off") {
        bool removed = false;
        if (!RunKeyAutostart::Disable(removed, problem)) {
            console.err << console.program << ": could not remove " << shown << ": " << problem << '\n' << std::flush;
            return kExitRefused;
        }
        console.out << (removed ? "Autostart off: removed " : "Autostart off: there was no ") << shown << '\n'
                    << std::flush;
        return kExitDone;
    }

    const std::optional<std::wstring> command = RunKeyAutostart::Command(settings);
    if (!command) {
        console.err << console.program << ": the settings path cannot be written on a command line\n" << std::flush;
        return kExitRefused;
    }
    if (!RunKeyAutostart::Enable(*command, problem)) {
        console.err << console.program << ": could not write " << shown << ": " << problem << '\n' << std::flush;
        return kExitRefused;
    }
    console.out << "Autostart on: " << shown << '\n' << std::flush;
    return kExitDone;
}

} // namespace zelto
