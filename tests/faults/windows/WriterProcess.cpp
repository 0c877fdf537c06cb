#include "WriterProcess.h"

#include <windows.h>

namespace zelto::faults {

struct WriterProcess::Handles {
    PROCESS_INFORMATION process{};
    HANDLE input = nullptr, output = nullptr;
    int status = -1;
};

WriterProcess::WriterProcess(const std::vector<std::string>& arguments) : handles_(std::make_unique<Handles>()) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE childIn = nullptr, childOut = nullptr;
    if (!::CreatePipe(&childIn, &handles_->input, &inherit, 0) ||
        !::CreatePipe(&handles_->output, &childOut, &inherit, 0))
        return;
    ::SetHandleInformation(handles_->input, HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(handles_->output, HANDLE_FLAG_INHERIT, 0);
    std::string line = "\"" ZELTO_SETTINGS_WRITER "\"";
    for (const std::string& argument : arguments)
        line += " \"" + argument + "\"";
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

WriterProcess::~WriterProcess() {
    Kill();
    Wait();
    ::CloseHandle(handles_->input);
    ::CloseHandle(handles_->output);
}

bool WriterProcess::Read(void* bytes, std::size_t size) {
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

bool WriterProcess::Send(char byte) {
    DWORD written = 0;
    return ::WriteFile(handles_->input, &byte, 1, &written, nullptr) && written == 1;
}

void WriterProcess::Kill() {
    if (handles_->process.hProcess)
        ::TerminateProcess(handles_->process.hProcess, 9);
}

int WriterProcess::Wait() {
    if (!handles_->process.hProcess)
        return handles_->status;
    DWORD code = 0;
    ::WaitForSingleObject(handles_->process.hProcess, INFINITE);
    ::GetExitCodeProcess(handles_->process.hProcess, &code);
    handles_->status = code == 9 ? -1 : static_cast<int>(code);
    ::CloseHandle(handles_->process.hProcess);
    ::CloseHandle(handles_->process.hThread);
    handles_->process = {};
    return handles_->status;
}

} // namespace zelto::faults
