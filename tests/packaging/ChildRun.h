#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace zelto::testing {

// Runs argv in `folder` with standard output and error appended to the given files (one file for both when
// they are equal), and the environment changed by `env`: "NAME=value" sets, "NAME" unsets. Returns the
// exit code; -1 when the child did not end within `timeout` (it is then killed) or ended by a signal.
int RunChild(const std::vector<std::string>& argv, const std::vector<std::string>& env,
             const std::filesystem::path& folder, const std::filesystem::path& out, const std::filesystem::path& err,
             std::chrono::milliseconds timeout = std::chrono::seconds(20));

// The whole file; "" when it is missing.
std::string FileText(const std::filesystem::path& path);

// "device:inode" of the file, as systemd writes JOURNAL_STREAM.
std::string StreamId(const std::filesystem::path& path);

} // namespace zelto::testing
