#include "cli/AutostartCommand.h"

#include "cli/Usage.h"
#include "platform/Autostart.h"

namespace zelto {

int RunAutostartCommand(const std::vector<std::string>& args, const std::optional<std::filesystem::path>& settings,
                        Autostart& autostart, Console& console) {
    if (args.size() != 1 || (args[0] != "on" && args[0] != "off"))
        return UsageError(console, "--autostart takes on or off");
    const std::string shown = PrintableText(autostart.Place());
    std::string problem;

    if (args[0] == "off") {
        bool removed = false;
        if (autostart.Disable(removed, problem) != Autostart::Outcome::Done) {
            console.err << console.program << ": could not remove " << shown << ": " << problem << '\n' << flush;
            return kExitRefused;
        }
        console.out << (removed ? "Autostart off: removed " : "Autostart off: there was no ") << shown << '\n' << flush;
        return kExitDone;
    }

    switch (autostart.Enable(settings, problem)) {
    case Autostart::Outcome::Done:
        console.out << "Autostart on: " << shown << '\n' << flush;
        return kExitDone;
    case Autostart::Outcome::PathNotCarried:
        console.err << console.program
                    << ": the settings path cannot be written on the autostart entry's command line\n"
                    << flush;
        return kExitRefused;
    case Autostart::Outcome::Failed:
        break;
    }
    console.err << console.program << ": could not write " << shown << ": " << problem << '\n' << flush;
    return kExitRefused;
}

} // namespace zelto
