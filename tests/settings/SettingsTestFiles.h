#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace zelto::testing {

// The file's bytes exactly, CRs included.
inline std::string Bytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void PutBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

} // namespace zelto::testing
