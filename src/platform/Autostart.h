#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace zelto {

// Starting the desktop program when the user signs in, through the one entry the system keeps for it.
class Autostart {
public:
    enum class Outcome {
        Done,
        // The settings path cannot be carried on the entry's command line.
        PathNotCarried,
        // The system refused; the reason is in `problem`.
        Failed,
    };

    Autostart() = default;
    virtual ~Autostart() = default;
    Autostart(const Autostart&) = delete;
    Autostart& operator=(const Autostart&) = delete;

    // Where the entry lives, as the user is told.
    virtual std::string Place() const = 0;
    // Writes the entry; it passes --settings with the file's absolute path when `settings` is given.
    virtual Outcome Enable(const std::optional<std::filesystem::path>& settings, std::string& problem) = 0;
    // Removes the entry; `removed` is false when there was none.
    virtual Outcome Disable(bool& removed, std::string& problem) = 0;
};

} // namespace zelto
