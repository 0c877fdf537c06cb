#pragma once

namespace zelto {

// Windows Sockets 1.1 for the life of the object, started as the original client starts it.
class WindowsSockets {
public:
    static constexpr const char* kFailureMessage = "Windows sockets initialization failed.";

    WindowsSockets();
    ~WindowsSockets();
    WindowsSockets(const WindowsSockets&) = delete;
    WindowsSockets& operator=(const WindowsSockets&) = delete;

    // False when WSAStartup failed; the program then shows kFailureMessage and ends.
    bool Started() const { return started_; }
    // Whether a version WSAStartup granted (major in the low byte) is 1.1 or later.
    static bool Grants11(unsigned short version);

private:
    bool started_;
};

} // namespace zelto
