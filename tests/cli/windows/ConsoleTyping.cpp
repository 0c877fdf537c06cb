// Types a line at a console whose code page is CODEPAGE, as a user's keys would, for a program that reads its
// standard input from that console; its output and error go to this helper's, in that code page where they
// follow the console's, and its exit code is this helper's (99 when it did not end within 30 s).
//   console-typing CODEPAGE TEXT PROGRAM [ARGUMENT]...

#include <windows.h>

#include <string>
#include <vector>

int wmain(int argc, wchar_t** argv) {
    if (argc < 4)
        return 2;
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    const HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
    ::SetHandleInformation(out, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    ::SetHandleInformation(err, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    // A console of its own, whatever this helper was started with (Wine makes one only with a display).
    const auto page = static_cast<UINT>(std::stoul(argv[1]));
    ::FreeConsole();
    if (!::AllocConsole() || !::SetConsoleCP(page) || !::SetConsoleOutputCP(page))
        return 3;
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    const HANDLE input = ::CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       &inherited, OPEN_EXISTING, 0, nullptr);
    std::vector<INPUT_RECORD> keys;
    for (const wchar_t c : std::wstring(argv[2]) + L"\r") {
        INPUT_RECORD key{};
        key.EventType = KEY_EVENT;
        key.Event.KeyEvent.bKeyDown = TRUE;
        key.Event.KeyEvent.wRepeatCount = 1;
        key.Event.KeyEvent.wVirtualKeyCode = c == L'\r' ? VK_RETURN : 0;
        key.Event.KeyEvent.uChar.UnicodeChar = c;
        keys.push_back(key);
        key.Event.KeyEvent.bKeyDown = FALSE;
        keys.push_back(key);
    }
    DWORD written = 0;
    if (input == INVALID_HANDLE_VALUE ||
        !::WriteConsoleInputW(input, keys.data(), static_cast<DWORD>(keys.size()), &written))
        return 4;

    std::wstring line;
    for (int i = 3; i < argc; ++i)
        line += std::wstring(i > 3 ? L" \"" : L"\"") + argv[i] + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
        return 5;
    if (::WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.hProcess, 99);
        return 99;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    return static_cast<int>(code);
}
