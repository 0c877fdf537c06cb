// Update servers written "https://" through WinINet, against the TLS emulators of scripts/test-windows: the
// system's trust (the prefix's store, where the test authority is added) or the "cafile" bundle alone.

#include "TestServers.h"
#include "platform/windows/WideText.h"
#include "platform/windows/WinInetHttpSession.h"

#include <windows.h>

#include <wincrypt.h>

#include <gtest/gtest.h>

namespace zelto::wintest {
namespace {

using namespace std::chrono_literals;

std::string TlsFile(const std::string& name) {
    return TestServer("ZELTO_TEST_TLS_FOLDER") + "\\" + name;
}

// The test authority joins the current user's root store in the prefix's registry, as an administrator
// would trust a company's authority.
void TrustTestAuthority() {
    const CERT_CONTEXT* authority = nullptr;
    const std::wstring file = Widen(TlsFile("ca.pem"));
    ASSERT_TRUE(::CryptQueryObject(CERT_QUERY_OBJECT_FILE, file.c_str(), CERT_QUERY_CONTENT_FLAG_CERT,
                                   CERT_QUERY_FORMAT_FLAG_ALL, 0, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   reinterpret_cast<const void**>(&authority)));
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\SystemCertificates\\Root", 0, nullptr, 0,
                                KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    HCERTSTORE root = ::CertOpenStore(CERT_STORE_PROV_REG, 0, 0, 0, key);
    // The authorities of earlier runs bear the same name with other keys, and would be taken for this one.
    for (int stale = 0; stale < 100; ++stale) {
        const CERT_CONTEXT* old = ::CertFindCertificateInStore(root, X509_ASN_ENCODING, 0, CERT_FIND_SUBJECT_NAME,
                                                               &authority->pCertInfo->Subject, nullptr);
        if (old == nullptr)
            break;
        ::CertDeleteCertificateFromStore(old);
    }
    EXPECT_TRUE(::CertAddCertificateContextToStore(root, authority, CERT_STORE_ADD_REPLACE_EXISTING, nullptr));
    ::CertCloseStore(root, 0);
    ::RegCloseKey(key);
    ::CertFreeCertificateContext(authority);
}

struct TlsCase {
    const char* name;
    // Which emulator: trusted (the test authority's), private (a stranger's), misnamed, downgrade (trusted,
    // redirecting to plain http)
    const char* server;
    const char* caFile; // nullptr: the system's store
    HttpFailure why;    // None: answered
};

class WinInetTlsTest : public ::testing::TestWithParam<TlsCase> {
protected:
    static void SetUpTestSuite() { TrustTestAuthority(); }
};

TEST_P(WinInetTlsTest, SendsThePasswordOnlyToAServerItsTrustVouchesFor) {
    const TlsCase& c = GetParam();
    WinInetHttpSessionFactory http{"zelto-premium-tests", HttpTimeouts{5s, 20s}};
    const std::unique_ptr<HttpSession> session = http.Open(nullptr, {c.caFile ? TlsFile(c.caFile) : ""});
    ASSERT_TRUE(session);
    // By name: Wine matches no address against a certificate.
    const std::string port = TestServer(c.server).substr(TestServer(c.server).find(':'));
    const int before = LogLines(TlsFile(c.server) + ".log", "password=");
    const HttpFetch fetch =
        session->Get("https://localhost" + port + "/premium/update.asp?first=com&second=example&password=secret12");
    EXPECT_EQ(fetch.failure, c.why);
    // A server the bundle refuses never sees the password, not even on a connection set up for the request.
    EXPECT_EQ(LogLines(TlsFile(c.server) + ".log", "password=") > before,
              c.why == HttpFailure::None || c.why == HttpFailure::RedirectRefused);
}

const TlsCase kCases[] = {
    {"SystemTrust", "ZELTO_TEST_TLS_TRUSTED", nullptr, HttpFailure::None},
    {"UnknownIssuerWithoutCaFile", "ZELTO_TEST_TLS_PRIVATE", nullptr, HttpFailure::CertificateNotTrusted},
    {"PrivateAuthorityInCaFile", "ZELTO_TEST_TLS_PRIVATE", "stranger.pem", HttpFailure::None},
    {"CaFileReplacesTheSystemStore", "ZELTO_TEST_TLS_TRUSTED", "stranger.pem", HttpFailure::CertificateNotTrusted},
    {"UnknownIssuerWithCaFile", "ZELTO_TEST_TLS_PRIVATE", "ca.pem", HttpFailure::CertificateNotTrusted},
    {"CertificateForAnotherName", "ZELTO_TEST_TLS_MISNAMED", "stranger.pem", HttpFailure::CertificateForAnotherName},
    {"UnreadableCaFile", "ZELTO_TEST_TLS_PRIVATE", "missing.pem", HttpFailure::CertificateNotTrusted},
    {"RedirectToPlainHttp", "ZELTO_TEST_TLS_DOWNGRADE", nullptr, HttpFailure::RedirectRefused},
};

INSTANTIATE_TEST_SUITE_P(Tls, WinInetTlsTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace zelto::wintest
