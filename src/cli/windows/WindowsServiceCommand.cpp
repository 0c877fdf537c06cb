// The client as a Windows service: registered with the service manager, run by it under LocalService with its
// settings in a folder only Administrators, SYSTEM and the service may open, and logging to the event log.

#include "cli/windows/WindowsServiceCommand.h"

#include "cli/StatusCommand.h"
#include "cli/UpdateCommands.h"
#include "cli/Usage.h"
#include "cli/windows/EventLogNotices.h"
#include "cli/windows/ServiceControl.h"
#include "cli/windows/ServiceFolder.h"
#include "config/AnotherClientText.h"
#include "platform/InstanceLock.h"
#include "platform/StopSignal.h"
#include "platform/windows/SystemError.h"
#include "platform/windows/WideText.h"
#include "schema/ClientSettings.h"
#include "schema/SettingsProblem.h"
#include "settings/SettingsFile.h"

#include <windows.h>

#include <shellapi.h>

namespace zelto {
namespace {

using namespace std::chrono_literals;

// The service manager waits this long for a start or a stop before the command gives up.
constexpr auto kWait = 10s;
const std::string kService = std::string("Service ") + ServiceControl::kShownName;

std::filesystem::path DefaultServiceSettings() {
    return ServiceFolder::Default() / L"ZeltoPre.INI";
}

std::string Shown(const std::filesystem::path& path) {
    return Narrow(path.native());
}

int Refused(Console& console, const std::string& what, const ServiceControl::Outcome& outcome) {
    console.err << console.program << ": could not " << what << ": " << outcome.problem
                << (outcome.denied ? " (run it as administrator)" : "") << '\n'
                << flush;
    return kExitRefused;
}

// The service's registered command line: its program and the settings file after --settings.
struct Registered {
    std::filesystem::path program;
    std::optional<std::filesystem::path> settings;
};

std::optional<Registered> RegisteredCommand() {
    const std::optional<std::wstring> command = ServiceControl::Command();
    if (!command)
        return std::nullopt;
    int count = 0;
    wchar_t** words = ::CommandLineToArgvW(command->c_str(), &count);
    Registered registered;
    for (int i = 0; words != nullptr && i < count; ++i) {
        if (i == 0)
            registered.program = words[0];
        else if (i + 1 < count && std::wstring_view(words[i]) == L"--settings")
            registered.settings = std::filesystem::path(words[i + 1]);
    }
    ::LocalFree(words);
    return registered;
}

std::optional<std::filesystem::path> ServiceSettings() {
    const std::optional<Registered> registered = RegisteredCommand();
    return registered ? registered->settings : std::nullopt;
}

int Install(const std::optional<std::filesystem::path>& given, Console& console) {
    const std::filesystem::path settings = given ? std::filesystem::absolute(*given) : DefaultServiceSettings();
    if (settings.native().find(L'"') != std::wstring::npos) {
        console.err << console.program << ": the settings path cannot be written on a command line\n" << flush;
        return kExitRefused;
    }
    // A running service holds its program: replacing the copy would fail for that, not for a missing right.
    if (const ServiceControl::State state = ServiceControl::Query(); state == ServiceControl::State::Running ||
                                                                     state == ServiceControl::State::Starting ||
                                                                     state == ServiceControl::State::Stopping) {
        console.err << console.program << ": could not install the service: it is installed and running; stop it "
                    << "first (" << console.program << " service stop)\n"
                    << flush;
        return kExitRefused;
    }
    const std::filesystem::path program = ServiceFolder::ProgramFolder() / ThisProgramPath().filename();
    std::error_code error;
    std::filesystem::create_directories(program.parent_path(), error);
    if (!error && !std::filesystem::equivalent(ThisProgramPath(), program, error))
        std::filesystem::copy_file(ThisProgramPath(), program, std::filesystem::copy_options::overwrite_existing,
                                   error);
    if (error) {
        console.err << console.program << ": could not copy the program to " << Shown(program) << ": "
                    << error.message() << " (run it as administrator)\n"
                    << flush;
        return kExitRefused;
    }
    const std::wstring command = L"\"" + program.native() + L"\" --settings \"" + settings.native() + L"\" service run";
    if (const ServiceControl::Outcome outcome = ServiceControl::Install(command, program); !outcome.done)
        return Refused(console, "install the service", outcome);
    // Only the default folder is ours to lock down; a folder given with --settings is the administrator's.
    if (!given) {
        std::string problem;
        if (!ServiceFolder::Protect(settings.parent_path(), ServiceControl::kName, problem)) {
            console.err << console.program << ": could not protect " << Shown(settings.parent_path()) << ": " << problem
                        << '\n'
                        << flush;
            return kExitRefused;
        }
    }
    console.out << kService << " installed: it runs " << Shown(program) << " as LocalService with the settings file "
                << Shown(settings) << ".\nConfigure it as administrator (" << console.program << " --settings \""
                << Shown(settings) << "\" domain add DOMAIN TOPLEVEL), then: " << console.program << " service start\n"
                << flush;
    return kExitDone;
}

const char* StateName(ServiceControl::State state) {
    switch (state) {
    case ServiceControl::State::NotInstalled:
        return "not installed";
    case ServiceControl::State::Stopped:
        return "stopped";
    case ServiceControl::State::Starting:
        return "starting";
    case ServiceControl::State::Stopping:
        return "stopping";
    case ServiceControl::State::Running:
        return "running";
    case ServiceControl::State::Other:
        break;
    }
    return "paused";
}

int Status(Console& console) {
    const ServiceControl::State state = ServiceControl::Query();
    console.out << kService << ": " << StateName(state) << '\n' << flush;
    const std::optional<std::filesystem::path> settings = ServiceSettings();
    if (state == ServiceControl::State::NotInstalled || !settings)
        return kExitRefused;
    const SettingsFile file(*settings);
    if (const SettingsProblem problem = ClientSettingsView(file).Problem()) {
        console.err << console.program << ": " << PrintableText(SettingsProblemText(problem)) << '\n' << flush;
        return kExitRefused;
    }
    return RunStatusCommand(file, {}, console);
}

// What the service manager runs: the update thread until the manager's stop, with the dial-up guard put back
// on the way out as at every stop.
int Run(const std::optional<std::filesystem::path>& given, Console& console, const FrontEndHooks& hooks) {
    const std::filesystem::path path = given ? *given : DefaultServiceSettings();
    const bool ran = ServiceControl::RunAsService([&](ServiceRun& run) {
        EventLogNotices notices;
        SettingsFile settings(path);
        if (const SettingsProblem problem = ClientSettingsView(settings).Problem()) {
            notices.Error(SettingsProblemText(problem));
            return kExitRefused;
        }
        // A second client would send every update twice.
        const InstanceLock instance(path, ClientKind::Headless);
        if (instance.Result() == InstanceLock::Claim::HeldElsewhere) {
            notices.Error(AnotherClientText(path, instance.Holder()));
            return kExitRefused;
        }
        const std::unique_ptr<PlatformAdapters> platform = hooks.assemblePlatform(console.program);
        const PlatformPorts ports = platform->Ports();
        run.TellResumesTo(ports.events);
        RunUpdateCycleUntil(settings, ports, notices, run.stop);
        run.TellResumesTo(nullptr);
        return kExitDone;
    });
    if (ran)
        return kExitDone;
    console.err << console.program << ": 'service run' is for the service manager; use '" << console.program
                << " service start'\n"
                << flush;
    return kExitUsage;
}

} // namespace

std::string ServiceHelpText(const std::string& program) {
    return "\nWindows service (as administrator):\n  " + program + " service install [--settings PATH]\n  " + program +
           R"( service uninstall|start|stop|status

  service install  register the service "Zelto Premium": it starts with
                   Windows and runs --headless as LocalService, from a copy of
                   this program in %ProgramFiles%\Zelto Premium, on the settings
                   file )" +
           Shown(DefaultServiceSettings()) + R"(
                   (only Administrators, SYSTEM and the service may open that
                   folder) or on PATH; configure it with --settings and that file
  service uninstall  stop and remove it and its copy (the settings file is kept)
  service start|stop  start it, or stop it (it stops within a second)
  service status   whether it runs, and status on its settings file
)";
}

int RunServiceCommand(const std::optional<std::filesystem::path>& settings, const Arguments& args, Console& console,
                      const FrontEndHooks& hooks) {
    const std::string action = args.empty() ? std::string() : args[0];
    std::optional<std::filesystem::path> given = settings;
    if (action == "install" && args.size() == 3 && args[1] == "--settings" && !args[2].empty())
        given = std::filesystem::path(std::u8string(args[2].begin(), args[2].end()));
    else if (args.size() != 1)
        return UsageError(console, "service takes install [--settings PATH], uninstall, start, stop or status");

    if (action == "install")
        return Install(given, console);
    if (action == "run")
        return Run(given, console, hooks);
    if (action == "status")
        return Status(console);
    if (action == "uninstall") {
        const std::optional<Registered> registered = RegisteredCommand();
        const std::optional<std::filesystem::path> kept = registered ? registered->settings : std::nullopt;
        if (const ServiceControl::Outcome outcome = ServiceControl::Uninstall(); !outcome.done)
            return Refused(console, "remove the service", outcome);
        // The program's copy goes with it, and its folder once empty (a copy that runs this command stays).
        std::error_code ignored;
        if (registered && registered->program.parent_path() == ServiceFolder::ProgramFolder() &&
            std::filesystem::remove(registered->program, ignored))
            std::filesystem::remove(registered->program.parent_path(), ignored);
        console.out << kService << " removed" << (kept ? "; its settings file " + Shown(*kept) + " is kept" : "")
                    << '\n'
                    << flush;
        return kExitDone;
    }
    if (action == "start" || action == "stop") {
        const bool start = action == "start";
        const auto begun = std::chrono::steady_clock::now();
        const ServiceControl::Outcome outcome = start ? ServiceControl::Start(kWait) : ServiceControl::Stop(kWait);
        if (!outcome.done)
            return Refused(console, action + " the service", outcome);
        const auto took =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - begun);
        console.out << kService << (start ? " running" : " stopped") << " (" << std::to_string(took.count()) << " ms)\n"
                    << flush;
        return kExitDone;
    }
    return UsageError(console, "service takes install [--settings PATH], uninstall, start, stop or status");
}

} // namespace zelto
