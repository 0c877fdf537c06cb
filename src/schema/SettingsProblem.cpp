#include "schema/SettingsProblem.h"

#include "schema/ClientSettings.h"

namespace zelto {

std::string SettingsProblemText(const SettingsError& error) {
    const std::string file = error.file.string();
    const std::string reason = error.reason ? ": " + error.reason.message() : std::string();
    switch (error.fault) {
    case SettingsFault::None:
        break;
    case SettingsFault::LinkNotOwned:
        return file + " is a symbolic link that belongs to another user; it is not followed";
    case SettingsFault::NotRegularFile:
        return file + " is not a regular file";
    case SettingsFault::TooLarge:
        return file + " is larger than 1 MiB, too large for a settings file";
    case SettingsFault::ReadFailed:
        return "could not read " + file + reason;
    case SettingsFault::LockFailed:
        return "could not lock " + file + reason;
    case SettingsFault::WriteFailed:
        return "could not write " + file + reason;
    case SettingsFault::MarkedReadOnly:
        return "could not write " + file + ": the file is marked read-only (attrib -r clears the mark)";
    }
    return "could not use " + file;
}

std::string SettingsProblemText(const SettingsProblem& problem) {
    if (problem.error || problem.tooLargeCount.empty())
        return SettingsProblemText(problem.error);
    const int limit = problem.tooLargeCount == SettingsKeys::kDomainCount ? ClientSettingsView::kMaxDomains
                                                                          : ClientSettingsView::kMaxIgnored;
    return problem.tooLargeCount + " in " + problem.file.string() + " is above the client's limit of " +
           std::to_string(limit) + "; correct or remove it";
}

} // namespace zelto
