#pragma once

// The emulators scripts/test-windows starts on the Linux side before the suite runs, as host:port.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace zelto::wintest {

// Fails the test when the variable is missing: run the suite through scripts/test-windows.
inline std::string TestServer(const char* variable) {
    const char* value = std::getenv(variable);
    EXPECT_NE(value, nullptr) << variable << " is not set; scripts/test-windows starts the emulators";
    return value != nullptr ? value : "127.0.0.1:1";
}

inline std::string Url(const char* variable, const std::string& path) {
    return "http://" + TestServer(variable) + path;
}

// How many lines of an emulator's log contain the text.
inline int LogLines(const std::string& file, const std::string& text) {
    std::ifstream log(file);
    int count = 0;
    for (std::string line; std::getline(log, line);)
        count += line.find(text) != std::string::npos;
    return count;
}

} // namespace zelto::wintest
