#include "cli/windows/ServiceControl.h"

#include "platform/StopSignal.h"
#include "platform/SystemEvents.h"
#include "platform/windows/SystemError.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <thread>

namespace zelto {
namespace {

using namespace std::chrono_literals;

constexpr const wchar_t* kEventSourceKey = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Zelto Premium";
constexpr const wchar_t* kDescription = L"Keeps the Zelto Premium host names pointing at this machine's address.";
constexpr const wchar_t* kAccount = L"NT AUTHORITY\\LocalService";
constexpr auto kPoll = 50ms;

struct HandleCloser {
    void operator()(SC_HANDLE handle) const { ::CloseServiceHandle(handle); }
};
using ServiceHandle = std::unique_ptr<std::remove_pointer_t<SC_HANDLE>, HandleCloser>;

ServiceControl::Outcome Failed(DWORD error) {
    return {false, error == ERROR_ACCESS_DENIED, SystemErrorText(error)};
}

ServiceControl::Outcome Failed(std::string problem) {
    return {false, false, std::move(problem)};
}

// The service, opened with `rights`; null with the reason in `outcome`.
ServiceHandle OpenZeltoService(DWORD managerRights, DWORD rights, ServiceControl::Outcome& outcome) {
    const ServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, managerRights));
    if (!manager) {
        outcome = Failed(::GetLastError());
        return nullptr;
    }
    ServiceHandle service(::OpenServiceW(manager.get(), ServiceControl::kName, rights));
    if (!service)
        outcome = ::GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST ? Failed("the service is not installed")
                                                                   : Failed(::GetLastError());
    return service;
}

DWORD CurrentState(SC_HANDLE service) {
    SERVICE_STATUS status{};
    return ::QueryServiceStatus(service, &status) ? status.dwCurrentState : 0;
}

// Waits for the service to reach `target`, or to fall back to stopped on the way to running.
bool WaitForState(SC_HANDLE service, DWORD target, std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        const DWORD state = CurrentState(service);
        if (state == target)
            return true;
        if ((target == SERVICE_RUNNING && state == SERVICE_STOPPED) || std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(kPoll);
    }
}

bool RegisterEventSource(const std::filesystem::path& program, std::string& problem) {
    HKEY key = nullptr;
    LONG result =
        ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kEventSourceKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    if (result == ERROR_SUCCESS) {
        // The program's own message table holds the one message, "%1": each event is the line as it is.
        const std::wstring& file = program.native();
        const DWORD types = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;
        result =
            ::RegSetValueExW(key, L"EventMessageFile", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(file.c_str()),
                             static_cast<DWORD>((file.size() + 1) * sizeof(wchar_t)));
        if (result == ERROR_SUCCESS)
            result = ::RegSetValueExW(key, L"TypesSupported", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&types),
                                      sizeof types);
        ::RegCloseKey(key);
    }
    if (result != ERROR_SUCCESS)
        problem = SystemErrorText(static_cast<DWORD>(result));
    return result == ERROR_SUCCESS;
}

// What the running service tells the service manager.
SERVICE_STATUS_HANDLE statusHandle = nullptr;
std::atomic<ServiceRun*> running{nullptr};
const std::function<int(ServiceRun&)>* runningWork = nullptr;

void Report(DWORD state, int exitCode = 0) {
    SERVICE_STATUS status{};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted =
        state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN | SERVICE_ACCEPT_POWEREVENT : 0;
    status.dwWin32ExitCode = exitCode == 0 ? NO_ERROR : ERROR_SERVICE_SPECIFIC_ERROR;
    status.dwServiceSpecificExitCode = static_cast<DWORD>(exitCode);
    status.dwWaitHint = state == SERVICE_STOP_PENDING ? 1000 : 0;
    ::SetServiceStatus(statusHandle, &status);
}

// Called on the dispatcher's thread while the work runs on the service's.
DWORD WINAPI OnControl(DWORD control, DWORD eventType, void*, void*) {
    ServiceRun* run = running.load();
    if (control == SERVICE_CONTROL_STOP || control == SERVICE_CONTROL_SHUTDOWN) {
        Report(SERVICE_STOP_PENDING);
        if (run)
            run->stop.Raise();
        return NO_ERROR;
    }
    if (control == SERVICE_CONTROL_POWEREVENT) {
        if (eventType == PBT_APMRESUMEAUTOMATIC && run)
            run->Resumed();
        return NO_ERROR;
    }
    return control == SERVICE_CONTROL_INTERROGATE ? NO_ERROR : ERROR_CALL_NOT_IMPLEMENTED;
}

void WINAPI ServiceMain(DWORD, wchar_t**) {
    statusHandle = ::RegisterServiceCtrlHandlerExW(ServiceControl::kName, OnControl, nullptr);
    if (statusHandle == nullptr)
        return;
    StopSignal stop;
    ServiceRun run{stop};
    running = &run;
    Report(SERVICE_RUNNING);
    const int exitCode = (*runningWork)(run);
    running = nullptr;
    Report(SERVICE_STOPPED, exitCode);
}

} // namespace

void ServiceRun::TellResumesTo(SystemEvents* events) {
    const std::lock_guard lock(mutex_);
    events_ = events;
}

void ServiceRun::Resumed() {
    const std::lock_guard lock(mutex_);
    if (events_)
        events_->Announce(SystemEvent::Resumed);
}

ServiceControl::Outcome ServiceControl::Install(const std::wstring& command, const std::filesystem::path& program) {
    const ServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
    if (!manager)
        return Failed(::GetLastError());
    ServiceHandle service(::CreateServiceW(manager.get(), kName, kName, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                           SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, command.c_str(), nullptr, nullptr,
                                           nullptr, kAccount, L""));
    // Installed again: the new command and account replace the old ones.
    if (!service && ::GetLastError() == ERROR_SERVICE_EXISTS) {
        service.reset(::OpenServiceW(manager.get(), kName, SERVICE_ALL_ACCESS));
        if (service &&
            !::ChangeServiceConfigW(service.get(), SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                                    command.c_str(), nullptr, nullptr, nullptr, kAccount, L"", kName))
            return Failed(::GetLastError());
    }
    if (!service)
        return Failed(::GetLastError());
    SERVICE_DESCRIPTIONW description{const_cast<wchar_t*>(kDescription)};
    ::ChangeServiceConfig2W(service.get(), SERVICE_CONFIG_DESCRIPTION, &description);
    // The service SID in the process's token is what the settings folder lets in. Wine has no such SIDs (nor
    // enforces the folder's list) and refuses the level.
    SERVICE_SID_INFO sid{SERVICE_SID_TYPE_UNRESTRICTED};
    if (!::ChangeServiceConfig2W(service.get(), SERVICE_CONFIG_SERVICE_SID_INFO, &sid) &&
        ::GetLastError() != ERROR_INVALID_LEVEL)
        return Failed(::GetLastError());
    Outcome outcome{true, false, {}};
    if (!RegisterEventSource(program, outcome.problem))
        outcome.done = false;
    return outcome;
}

ServiceControl::Outcome ServiceControl::Uninstall() {
    Outcome outcome;
    const ServiceHandle service =
        OpenZeltoService(SC_MANAGER_CONNECT, DELETE | SERVICE_STOP | SERVICE_QUERY_STATUS, outcome);
    if (!service)
        return outcome;
    SERVICE_STATUS status{};
    if (CurrentState(service.get()) != SERVICE_STOPPED &&
        ::ControlService(service.get(), SERVICE_CONTROL_STOP, &status))
        WaitForState(service.get(), SERVICE_STOPPED, 10s);
    if (!::DeleteService(service.get()))
        return Failed(::GetLastError());
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kEventSourceKey);
    return {true, false, {}};
}

ServiceControl::Outcome ServiceControl::Start(std::chrono::milliseconds wait) {
    Outcome outcome;
    const ServiceHandle service = OpenZeltoService(SC_MANAGER_CONNECT, SERVICE_START | SERVICE_QUERY_STATUS, outcome);
    if (!service)
        return outcome;
    if (!::StartServiceW(service.get(), 0, nullptr) && ::GetLastError() != ERROR_SERVICE_ALREADY_RUNNING)
        return Failed(::GetLastError());
    if (!WaitForState(service.get(), SERVICE_RUNNING, wait))
        return Failed("it did not keep running (the event log says why)");
    return {true, false, {}};
}

ServiceControl::Outcome ServiceControl::Stop(std::chrono::milliseconds wait) {
    Outcome outcome;
    const ServiceHandle service = OpenZeltoService(SC_MANAGER_CONNECT, SERVICE_STOP | SERVICE_QUERY_STATUS, outcome);
    if (!service)
        return outcome;
    SERVICE_STATUS status{};
    if (CurrentState(service.get()) != SERVICE_STOPPED &&
        !::ControlService(service.get(), SERVICE_CONTROL_STOP, &status) && ::GetLastError() != ERROR_SERVICE_NOT_ACTIVE)
        return Failed(::GetLastError());
    if (!WaitForState(service.get(), SERVICE_STOPPED, wait))
        return Failed("it did not stop in time");
    return {true, false, {}};
}

ServiceControl::State ServiceControl::Query() {
    Outcome outcome;
    const ServiceHandle service = OpenZeltoService(SC_MANAGER_CONNECT, SERVICE_QUERY_STATUS, outcome);
    if (!service)
        return State::NotInstalled;
    switch (CurrentState(service.get())) {
    case SERVICE_STOPPED:
        return State::Stopped;
    case SERVICE_START_PENDING:
        return State::Starting;
    case SERVICE_STOP_PENDING:
        return State::Stopping;
    case SERVICE_RUNNING:
        return State::Running;
    default:
        return State::Other;
    }
}

std::optional<std::wstring> ServiceControl::Command() {
    Outcome outcome;
    const ServiceHandle service = OpenZeltoService(SC_MANAGER_CONNECT, SERVICE_QUERY_CONFIG, outcome);
    if (!service)
        return std::nullopt;
    DWORD size = 0;
    ::QueryServiceConfigW(service.get(), nullptr, 0, &size);
    std::unique_ptr<BYTE[]> buffer(new BYTE[size]);
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.get());
    if (size == 0 || !::QueryServiceConfigW(service.get(), config, size, &size) || !config->lpBinaryPathName)
        return std::nullopt;
    return std::wstring(config->lpBinaryPathName);
}

bool ServiceControl::RunAsService(const std::function<int(ServiceRun& run)>& work) {
    runningWork = &work;
    SERVICE_TABLE_ENTRYW table[] = {{const_cast<wchar_t*>(kName), ServiceMain}, {nullptr, nullptr}};
    return ::StartServiceCtrlDispatcherW(table) != FALSE;
}

} // namespace zelto
