#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace zelto {

class StopSignal;
class SystemEvents;

// What the service manager tells the running service, besides starting it.
class ServiceRun {
public:
    explicit ServiceRun(StopSignal& stopSignal) : stop(stopSignal) {}
    ServiceRun(const ServiceRun&) = delete;
    ServiceRun& operator=(const ServiceRun&) = delete;

    StopSignal& stop; // raised on the manager's stop or shutdown
    // The resumes from a suspend go to `events` until it is set back to null, which waits for one on its way.
    void TellResumesTo(SystemEvents* events);
    void Resumed();

private:
    std::mutex mutex_;
    SystemEvents* events_ = nullptr;
};

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

    // Runs `work` as the service when the service manager started this process; it returns the exit code.
    // False when the process was not started by the service manager.
    static bool RunAsService(const std::function<int(ServiceRun& run)>& work);
};

} // namespace zelto
