#pragma once

#include <filesystem>
#include <string>

namespace zelto::fakes {

// PEM files made when a test runs, so no key ever sits in the tree: a certificate authority, and server
// certificates it signs for a given name, or that a stranger authority signs.
class TestCertificates {
public:
    // Writes "ca.pem" (the authority's certificate) and "stranger.pem" (the stranger's) into `folder`.
    explicit TestCertificates(std::filesystem::path folder);
    ~TestCertificates();
    TestCertificates(const TestCertificates&) = delete;
    TestCertificates& operator=(const TestCertificates&) = delete;

    struct Server {
        std::filesystem::path cert;
        std::filesystem::path key;
    };
    // A certificate for `name` (an IPv4 address or a DNS name) signed by the authority, or by an authority
    // no one trusts; written as "<file>.crt" and "<file>.key".
    Server Issue(const std::string& file, const std::string& name, bool byStranger = false);

    const std::filesystem::path& CaFile() const { return caFile_; }
    std::filesystem::path StrangerFile() const { return folder_ / "stranger.pem"; }

private:
    struct Keys;
    std::filesystem::path folder_;
    std::filesystem::path caFile_;
    Keys* keys_;
};

} // namespace zelto::fakes
