#include "update/AddressHook.h"

#include "platform/Clock.h"
#include "platform/HookRunner.h"
#include "platform/Notices.h"
#include "schema/ClientSettings.h"
#include "schema/HookRecord.h"
#include "settings/SettingsFile.h"
#include "update/EnginePorts.h"

namespace zelto {

void RunAddressHook(EnginePorts& ports, HookRunner& runner, const std::vector<std::string>& registered,
                    const std::string& previous, std::chrono::milliseconds timeout) {
    if (registered.empty())
        return;
    const ClientSettingsView view(ports.settings);
    const std::string address = view.UpdateRecord().address;
    // Unless the record (and hookaddress with it) was written, it would run again after every pass.
    if (address.empty() || address == previous || view.HookAddress() != address)
        return;
    const std::string hook = view.Hook();
    if (hook.empty())
        return;
    std::string names;
    for (const std::string& name : registered)
        names += (names.empty() ? "" : " ") + name;
    HookRun run{std::filesystem::path(std::u8string(hook.begin(), hook.end())),
                ports.settings.Path(),
                {address, previous},
                {{"ZELTO_ADDRESS", address}, {"ZELTO_PREVIOUS_ADDRESS", previous}, {"ZELTO_DOMAINS", names}},
                timeout};
    Notices& notices = ports.notices;
    const std::string source = "hook " + hook;
    const std::time_t started = ports.platform.clock.Now();
    runner.Start(
        run,
        [&notices, source](const std::string& line) { notices.LogExchange(source, ExchangeOutcome::Answered, line); },
        [&notices, source, started, file = ports.settings.Path()](const HookOutcome& outcome) {
            notices.LogExchange(
                source, outcome.end == HookEnd::Succeeded ? ExchangeOutcome::Answered : ExchangeOutcome::HookFailed,
                HookEndText(outcome));
            // A settings object of its own: this runs on the runner's thread. A record that cannot be written
            // only leaves status telling an older run; the log above already told this one.
            SettingsFile settings(file);
            [[maybe_unused]] const bool recorded = ClientSettings(settings).WriteHookRun({started, outcome});
        });
}

} // namespace zelto
