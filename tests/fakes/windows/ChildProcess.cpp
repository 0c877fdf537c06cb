#include "fakes/ChildProcess.h"

#include <windows.h>

namespace zelto::fakes {

struct ChildProcess::Handles {
    PROCESS_INFORMATION process{};
    HANDLE input = nullptr, output = nullptr;
    int status = -1;
};

ChildProcess::ChildProcess(const std::vector<std::string>& argv) : handles_(std::make_unique<Handles>()) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE childIn = nullptr, childOut = nullptr;
    if (!::CreatePipe(&childIn, &handles_->input, &inherit, 0) ||
        !::CreatePipe(&handles_->output, &childOut, &inherit, 0))
        return;
    ::SetHandleInformation(handles_->input, HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(handles_->output, HANDLE_FLAG_INHERIT, 0);
    std::string line;
    for (const std::string& argument : argv)
        line.append(line.empty() ? "\"" : " \"").append(argument).append("\"");
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childIn;
    startup.hStdOutput = childOut;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                          &handles_->process))
        handles_->process = {};
    ::CloseHandle(childIn);
    ::CloseHandle(childOut);
}

ChildProcess::~ChildProcess() {
    Kill();
    Wait();
    ::CloseHandle(handles_->input);
    ::CloseHandle(handles_->output);
}

bool ChildProcess::Read(void* bytes, std::size_t size) {
    for (std::size_t got = 0; got < size;) {
        DWORD part = 0;
        if (!::ReadFile(handles_->output, static_cast<char*>(bytes) + got, static_cast<DWORD>(size - got), &part,
                        nullptr) ||
            part == 0)
            return false;
        got += part;
    }
    return true;
}

bool ChildProcess::Send(std::string_view bytes) {
    DWORD written = 0;
    return ::WriteFile(handles_->input, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

void ChildProcess::Kill() {
    if (handles_->process.hProcess)
        ::TerminateProcess(handles_->process.hProcess, 9);
}

int ChildProcess::Wait(std::chrono::milliseconds timeout) {
    if (!handles_->process.hProcess)
        return handles_->status;
    if (::WaitForSingleObject(handles_->process.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    ::GetExitCodeProcess(handles_->process.hProcess, &code);
    handles_->status = code == 9 ? -1 : static_cast<int>(code);
    ::CloseHandle(handles_->process.hProcess);
    ::CloseHandle(handles_->process.hThread);
    handles_->process = {};
    return handles_->status;
}

} // namespace zelto::fakes
