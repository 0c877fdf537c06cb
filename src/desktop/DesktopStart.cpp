#include "desktop/DesktopStart.h"

#include "desktop/HeldSettingsFile.h"
#include "platform/InstanceLock.h"
#include "schema/ClientSettings.h"
#include "schema/SettingsProblem.h"
#include "settings/SettingsFile.h"
#include "update/PrintableText.h"

namespace zelto {

int StartDesktop(const std::filesystem::path& settingsPath, DesktopStartView& view) {
    const InstanceLock instance(settingsPath, ClientKind::Desktop);
    if (instance.Result() == InstanceLock::Claim::HeldElsewhere) {
        return OnHeldSettingsFile(
            settingsPath, instance.Holder(), [&view] { return view.HandOver(); },
            [&view](const std::string& text) { view.Tell(text); });
    }
    SettingsFile settings(settingsPath);
    // The path in it may hold anything a file name can.
    if (const SettingsProblem problem = ClientSettingsView(settings).Problem()) {
        view.Tell(PrintableText(SettingsProblemText(problem)));
        return 1;
    }
    return view.Run(settings);
}

} // namespace zelto
