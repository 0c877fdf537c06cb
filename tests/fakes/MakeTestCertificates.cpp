// zelto-test-certificates FOLDER: the certificates of the Windows TLS tests, which have no OpenSSL of their
// own. The servers are named localhost, since Wine matches no address in a certificate.

#include "fakes/TestCertificates.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zelto-test-certificates FOLDER\n");
        return 2;
    }
    try {
        zelto::fakes::TestCertificates certificates(argv[1]);
        certificates.Issue("trusted", "localhost");
        certificates.Issue("private", "localhost", true);
        certificates.Issue("misnamed", "update.example", true);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zelto-test-certificates: %s\n", error.what());
        return 1;
    }
    return 0;
}
