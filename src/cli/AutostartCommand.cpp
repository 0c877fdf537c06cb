#include "cli/AutostartCommand.h"

#include "cli/Usage.h"
#include "platform/linux/Autostart.h"

#include <system_error>

namespace zelto {

namespace fs = std::filesystem;

int RunAutostartCommand(const std::vector<std::string>& args, const std::optional<fs::path>& settings,
                        Console& console) {
    if (args.size() != 1 || (args[0] != "on" && args[0] != "off"))
        return UsageError(console, "--autostart takes on or off");
    const fs::path path = AutostartEntryPath();
    const std::string shown = PrintableText(path.string());

    if (args[0] == "off") {
        std::error_code error;
        const bool removed = fs::remove(path, error);
        if (error) {
            console.err << console.program << ": could not remove " << shown << ": " << error.message() << '\n'
                        << std::flush;
            return kExitRefused;
        }
        console.out << (removed ? "Autostart off: removed " : "Autostart off: there was no ") << shown << '\n'
                    << std::flush;
        return kExitDone;
    }

    const std::optional<std::string> text = AutostartEntryText(InstalledDesktopEntry(), settings);
    if (!text) {
        console.err << console.program << ": the settings path cannot be written on a desktop entry's Exec line\n"
                    << std::flush;
        return kExitRefused;
    }
    std::string problem;
    if (!WriteAutostartEntry(path, *text, problem)) {
        console.err << console.program << ": could not write " << shown << ": " << problem << '\n' << std::flush;
        return kExitRefused;
    }
    console.out << "Autostart on: " << shown << '\n' << std::flush;
    return kExitDone;
}

} // namespace zelto
