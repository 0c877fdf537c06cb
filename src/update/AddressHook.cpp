#include "update/AddressHook.h"

#include "platform/HookRunner.h"
#include "platform/Notices.h"
#include "schema/ClientSettings.h"
#include "settings/SettingsFile.h"
#include "update/EnginePorts.h"

namespace zelto {

namespace {

std::string EndText(const HookOutcome& outcome) {
    switch (outcome.end) {
    case HookEnd::Succeeded:
        return "done";
    case HookEnd::Failed:
        return "failed with status " + std::to_string(outcome.status);
    case HookEnd::TimedOut:
        return "ended: still running after its time";
    case HookEnd::NotStarted:
        return "could not be started";
    case HookEnd::NotTrusted:
        break;
    }
    return "refused: " + outcome.file + " must belong to this user or root and not be writable by others";
}

} // namespace

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
    runner.Start(
        run,
        [&notices, source](const std::string& line) { notices.LogExchange(source, ExchangeOutcome::Answered, line); },
        [&notices, source](const HookOutcome& outcome) {
            notices.LogExchange(
                source, outcome.end == HookEnd::Succeeded ? ExchangeOutcome::Answered : ExchangeOutcome::HookFailed,
                EndText(outcome));
        });
}

} // namespace zelto
