#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace zelto {

class StopSignal;

// The Windows service "Zelto Premium" in the service manager: registered to start with the system under the
// LocalService account, with a service SID of its own, which its settings folder lets in.
struct ServiceControl {
    static constexpr const wchar_t* kName = L"Zelto Premium";
    static constexpr const char* kShownName = "Zelto Premium";

    enum class State { NotInstalled, Stopped, Starting, Stopping, Running, Other };

    // Each returns false with the system's reason in `problem`; `denied` tells a missing right (not an
    // administrator) from other failures.
    struct Outcome {
        bool done = false;
        bool denied = false;
        std::string problem;
    };

    // Registers the service to run `command` (the program and its arguments, quoted), and the event source
    // its log lines go to, with `program`'s message table.
    static Outcome Install(const std::wstring& command, const std::filesystem::path& program);
    // Stops the service if it runs, then removes it and its event source.
    static Outcome Uninstall();
    // Starts or stops it, waiting at most `wait` for it to get there.
    static Outcome Start(std::chrono::milliseconds wait);
    static Outcome Stop(std::chrono::milliseconds wait);
    static State Query();
    // The registered command line, nullopt when the service is not installed.
    static std::optional<std::wstring> Command();

    // Runs `work` as the service when the service manager started this process: `work` gets a stop signal
    // raised on the manager's stop or shutdown, and returns the exit code. False when the process was not
    // started by the service manager.
    static bool RunAsService(const std::function<int(StopSignal& stop)>& work);
};

} // namespace zelto
