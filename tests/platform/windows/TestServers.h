#pragma once

// The emulators scripts/test-windows starts on the Linux side before the suite runs, as host:port.

#include <gtest/gtest.h>

#include <cstdlib>
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

} // namespace zelto::wintest
