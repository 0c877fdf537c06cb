#pragma once

#include "platform/Autostart.h"

namespace zelto {

// Autostart through the value "Zelto Premium" under HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run:
// the desktop program beside this one, quoted, with --settings and the file's absolute path when given.
class RunKeyAutostart : public Autostart {
public:
    std::string Place() const override;
    Outcome Enable(const std::optional<std::filesystem::path>& settings, std::string& problem) override;
    Outcome Disable(bool& removed, std::string& problem) override;
};

} // namespace zelto
