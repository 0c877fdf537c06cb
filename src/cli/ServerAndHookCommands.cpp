#include "cli/ServerAndHookCommands.h"

#include "cli/StatusCommand.h"
#include "cli/Usage.h"
#include "config/EndpointSettings.h"
#include "config/StatusReport.h"
#include "schema/ClientSettings.h"
#include "schema/HookRecord.h"
#include "schema/SettingsProblem.h"
#include "settings/SettingsFile.h"
#include "update/ServiceEndpoints.h"

namespace zelto {

namespace {

using Setter = ServiceValueProblem (*)(SettingsFile&, std::string_view);

// The one value, or the word that puts back the built-in one, which is stored as an empty value.
int SetValue(SettingsFile& settings, const Arguments& args, Console& console, std::string_view key,
             const char* resetWord, Setter set) {
    const std::string command = key == SettingsKeys::kUpdateServer ? "server" : std::string(key);
    if (args.size() != 1 || (args[0].empty() && *resetWord != '\0'))
        return UsageError(console, command + " takes one value or " + resetWord);
    const ServiceValueProblem problem = set(settings, args[0] == resetWord ? std::string() : args[0]);
    if (problem == ServiceValueProblem::None)
        return kExitDone;
    const SettingsError error = settings.LastError();
    console.err << console.program << ": "
                << PrintableText(problem == ServiceValueProblem::WriteFailed && error
                                     ? SettingsProblemText(error)
                                     : ServiceValueProblemText(problem, key))
                << '\n'
                << flush;
    return kExitRefused;
}

} // namespace

int RunServerCommand(SettingsFile& settings, const Arguments& args, Console& console) {
    const int code = SetValue(settings, args, console, SettingsKeys::kUpdateServer, "default", &SetUpdateServer);
    if (code == kExitDone)
        console.out << "Update server: " << PrintableText(UpdateServerLine(GatherStatus(settings))) << '\n' << flush;
    return code;
}

int RunWebsiteCommand(SettingsFile& settings, const Arguments& args, Console& console) {
    const int code = SetValue(settings, args, console, SettingsKeys::kWebSite, "default", &SetWebSite);
    if (code == kExitDone)
        console.out << "Web site: " << PrintableText(ServiceEndpoints(settings).HomePage()) << '\n' << flush;
    return code;
}

int RunCafileCommand(SettingsFile& settings, const Arguments& args, Console& console) {
    const int code = SetValue(settings, args, console, SettingsKeys::kCaFile, "none", &SetCaFile);
    if (code == kExitDone)
        console.out << "Update server: " << PrintableText(UpdateServerLine(GatherStatus(settings))) << '\n' << flush;
    return code;
}

int RunHookCommand(SettingsFile& settings, const Arguments& args, Console& console) {
    const std::string action = args.empty() ? std::string() : args[0];
    int code = kExitDone;
    if (action == "set" && args.size() == 2) {
        // A hook every run would refuse is refused now, in the words the run would log.
        const std::filesystem::path file(std::u8string(args[1].begin(), args[1].end()));
        if (const std::optional<HookOutcome> refusal = file.is_absolute() ? HookRefusal(file) : std::nullopt) {
            console.err << console.program << ": hook not set: " << PrintableText(HookEndText(*refusal)) << '\n'
                        << flush;
            return kExitRefused;
        }
        code = SetValue(settings, {args[1]}, console, SettingsKeys::kHook, "", &SetHook);
    } else if (action == "clear" && args.size() == 1)
        code = SetValue(settings, {""}, console, SettingsKeys::kHook, "", &SetHook);
    else if (action != "show" || args.size() != 1)
        return UsageError(console, "hook takes set PATH, clear or show");
    if (code == kExitDone) {
        const std::string hook = ClientSettingsView(settings).Hook();
        console.out << "Hook: " << PrintableText(hook.empty() ? "none" : hook) << '\n' << flush;
    }
    return code;
}

} // namespace zelto
