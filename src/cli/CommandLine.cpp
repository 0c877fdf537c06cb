#include "cli/CommandLine.h"

#include "cli/AutostartCommand.h"
#include "cli/CheckCommand.h"
#include "cli/ConfigCommands.h"
#include "cli/ServerAndHookCommands.h"
#include "cli/StatusCommand.h"
#include "cli/UpdateCommands.h"
#include "cli/Usage.h"
#include "schema/ClientSettings.h"
#include "schema/SettingsProblem.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsHome.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <unistd.h>

namespace zelto {

namespace {

std::string ProgramName(int argc, char** argv) {
    if (argc < 1 || argv[0] == nullptr || argv[0][0] == '\0')
        return "zelto-premium";
    const std::string name = std::filesystem::path(argv[0]).filename().string();
    return name.empty() ? "zelto-premium" : name;
}

// The commands that change the settings file.
bool ConfiguresSettings(const std::string& command) {
    for (const char* known : {"domain", "ignore", "method", "server", "website", "cafile", "hook"})
        if (command == known)
            return true;
    return false;
}

bool UsesSettingsFile(const std::string& command) {
    for (const char* known : {"--headless", "--once", "force-update", "domain", "ignore", "method", "status", "server",
                              "website", "cafile", "check", "hook"})
        if (command == known)
            return true;
    return false;
}

int RunCommand(const std::filesystem::path& path, const std::string& command, const Arguments& args, Console& console,
               const FrontEndHooks& hooks) {
    // One object for the whole command, so the folder the check opens serves every read and write after it.
    SettingsFile settings(path);
    // A file that cannot be used is refused before anything reads or writes it.
    if (const SettingsProblem problem =
            UsesSettingsFile(command) ? ClientSettingsView(settings).Problem() : SettingsProblem{}) {
        // A monitoring system reads standard output and the exit code only.
        if (command == "check") {
            console.out << PrintableText(HealthLine({Health::Unknown, SettingsProblemText(problem)})) << '\n' << flush;
            return static_cast<int>(Health::Unknown);
        }
        console.err << console.program << ": " << PrintableText(SettingsProblemText(problem)) << '\n' << flush;
        return kExitRefused;
    }
    if (command == "--headless" || command == "--once") {
        const bool forced = command == "--once" && args.size() == 1 && args.front() == "--force";
        if (!args.empty() && !forced)
            return UsageError(console,
                              command == "--once" ? "--once takes only --force" : "--headless takes no arguments");
        const std::unique_ptr<PlatformAdapters> platform = hooks.assemblePlatform(console.program);
        const HeadlessMode mode = command == "--headless" ? HeadlessMode::Cycle
                                  : forced                ? HeadlessMode::OnceForced
                                                          : HeadlessMode::Once;
        return RunHeadless(settings, mode, platform->Ports(), console);
    }
    if (command == "force-update") {
        if (!args.empty())
            return UsageError(console, "force-update takes no arguments");
        const std::unique_ptr<PlatformAdapters> platform = hooks.assemblePlatform(console.program);
        return RunForceUpdate(settings, platform->Ports(), console);
    }
    if (command == "domain")
        return RunDomainCommand(settings, args, console);
    if (command == "ignore")
        return RunIgnoreCommand(settings, args, console);
    if (command == "method")
        return RunMethodCommand(settings, args, console);
    if (command == "status")
        return RunStatusCommand(settings, args, console);
    if (command == "check")
        return RunCheckCommand(settings, args, console);
    if (command == "server")
        return RunServerCommand(settings, args, console);
    if (command == "website")
        return RunWebsiteCommand(settings, args, console);
    if (command == "cafile")
        return RunCafileCommand(settings, args, console);
    if (command == "hook")
        return RunHookCommand(settings, args, console);
    // Not quoted: a password typed in the wrong place would land in the terminal's or a log's history.
    return UsageError(console, "unknown command");
}

} // namespace

int RunCommandLine(int argc, char** argv, const FrontEndHooks& hooks) {
    const char* journal = std::getenv("JOURNAL_STREAM");
    ConsoleStream* const out = hooks.out;
    FileConsoleStream standardOut(stdout);
    FileConsoleStream standardErr(stderr, out != nullptr ? out : &standardOut);
    Console console{out != nullptr ? *out : standardOut, hooks.err != nullptr ? *hooks.err : standardErr,
                    ProgramName(argc, argv), LogMarksFor(STDOUT_FILENO, journal), LogMarksFor(STDERR_FILENO, journal)};
    const Arguments words(argv + (argc > 0 ? 1 : 0), argv + argc);

    std::filesystem::path path = DefaultSettingsPath();
    bool settingsGiven = false;
    std::size_t next = 0;
    while (next < words.size() && (words[next] == "--settings" || words[next].starts_with("--settings="))) {
        std::string value;
        if (words[next] == "--settings") {
            if (next + 1 >= words.size())
                return UsageError(console, "--settings needs a PATH");
            value = words[next + 1];
            next += 2;
        } else {
            value = words[next].substr(std::string("--settings=").size());
            next += 1;
        }
        if (value.empty())
            return UsageError(console, "--settings needs a PATH");
        // UTF-8, also on Windows, where a path made from a char text would be read in the ANSI code page.
        path = std::filesystem::path(std::u8string(value.begin(), value.end()));
        settingsGiven = true;
    }
    if (next == words.size())
        return hooks.runDesktop(path, console.program, argc, argv);

    const std::string& command = words[next];
    if (command == "--help" || command == "-h") {
        console.out << HelpText(console.program) << hooks.moreHelp << flush;
        return kExitDone;
    }
    if (command == "--version") {
        console.out << console.program << " " ZELTO_VERSION "\n" << flush;
        return kExitDone;
    }
    const Arguments args(words.begin() + static_cast<std::ptrdiff_t>(next) + 1, words.end());
    // Root configuring its own file while the system service reads another is a mistake that shows only
    // when the service goes on with the old values; which file was meant is the user's to say.
    // Asked only of a command that configures: the look at the system's folder is a start-up cost of every run.
    if (const std::optional<std::filesystem::path> system =
            !settingsGiven && ConfiguresSettings(command) ? hooks.systemServiceSettings() : std::nullopt) {
        console.err << console.program << ": the system service reads " << PrintableText(system->string())
                    << ", not root's own file " << PrintableText(path.string()) << "; give --settings "
                    << PrintableText(system->string()) << " (or --settings " << PrintableText(path.string())
                    << " for root's own file)\n"
                    << flush;
        return kExitRefused;
    }
    // Reading root's own file, which does not exist, while the system service has one: likely the service's
    // was meant, and the report of an empty file would say nothing about it.
    std::error_code ignored;
    if (const std::optional<std::filesystem::path> system =
            !settingsGiven && (command == "status" || command == "check") && !std::filesystem::exists(path, ignored)
                ? hooks.systemServiceSettings()
                : std::nullopt)
        console.err << console.program << ": read root's own file " << PrintableText(path.string())
                    << ", which does not exist; the system service reads " << PrintableText(system->string())
                    << ": give --settings " << PrintableText(system->string()) << " for it\n"
                    << flush;
    if (command == "--autostart") {
        const std::unique_ptr<PlatformAdapters> platform = hooks.assemblePlatform(console.program);
        return RunAutostartCommand(args, settingsGiven ? std::optional(path) : std::nullopt,
                                   platform->DesktopAutostart(), console);
    }
    if (command == "service" && hooks.runService)
        return hooks.runService(settingsGiven ? std::optional(path) : std::nullopt, args, console);
    return RunCommand(path, command, args, console, hooks);
}

} // namespace zelto
