#include "platform/windows/CertificateBundle.h"

#include <wincrypt.h>

#include <cstddef>
#include <fstream>
#include <iterator>
#include <memory>

namespace zelto {
namespace {

constexpr std::string_view kBegin = "-----BEGIN CERTIFICATE-----";
constexpr std::string_view kEnd = "-----END CERTIFICATE-----";

void AddPemCertificate(HCERTSTORE store, std::string_view pem) {
    DWORD size = 0;
    const DWORD length = static_cast<DWORD>(pem.size());
    if (!::CryptStringToBinaryA(pem.data(), length, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr))
        return;
    std::string der(size, '\0');
    if (::CryptStringToBinaryA(pem.data(), length, CRYPT_STRING_BASE64HEADER, reinterpret_cast<BYTE*>(der.data()),
                               &size, nullptr, nullptr))
        ::CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()), size,
                                           CERT_STORE_ADD_USE_EXISTING, nullptr);
}

struct ChainEngineDeleter {
    void operator()(HCERTCHAINENGINE engine) const { ::CertFreeCertificateChainEngine(engine); }
};
struct ChainDeleter {
    void operator()(const CERT_CHAIN_CONTEXT* chain) const { ::CertFreeCertificateChain(chain); }
};
using ChainEngine = std::unique_ptr<std::remove_pointer_t<HCERTCHAINENGINE>, ChainEngineDeleter>;
using Chain = std::unique_ptr<const CERT_CHAIN_CONTEXT, ChainDeleter>;

// An engine whose only roots are the bundle's. The configuration stops before the Windows 8 field, a size that
// Windows 7 and later, and Wine, all take with the exclusive root.
ChainEngine ExclusiveEngine(HCERTSTORE roots) {
    CERT_CHAIN_ENGINE_CONFIG config{};
    config.cbSize = offsetof(CERT_CHAIN_ENGINE_CONFIG, dwExclusiveFlags);
    config.hExclusiveRoot = roots;
    HCERTCHAINENGINE engine = nullptr;
    return ChainEngine(::CertCreateCertificateChainEngine(&config, &engine) ? engine : nullptr);
}

bool MadeOutTo(const CERT_CHAIN_CONTEXT* chain, const std::wstring& host) {
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
    ssl.cbSize = sizeof ssl;
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.pwszServerName = const_cast<wchar_t*>(host.c_str());
    CERT_CHAIN_POLICY_PARA policy{};
    policy.cbSize = sizeof policy;
    policy.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS status{};
    status.cbSize = sizeof status;
    return ::CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &status) && status.dwError == 0;
}

} // namespace

CertificateBundle::CertificateBundle(const std::filesystem::path& pemFile)
    : store_(::CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr)) {
    std::ifstream file(pemFile, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (store_ == nullptr)
        return;
    for (std::size_t begin = text.find(kBegin); begin != std::string::npos; begin = text.find(kBegin, begin + 1)) {
        const std::size_t end = text.find(kEnd, begin);
        if (end == std::string::npos)
            break;
        AddPemCertificate(store_, std::string_view(text).substr(begin, end + kEnd.size() - begin));
    }
}

CertificateBundle::~CertificateBundle() {
    if (store_ != nullptr)
        ::CertCloseStore(store_, 0);
}

unsigned long CertificateBundle::Verdict(HINTERNET request, const std::wstring& host) const {
    const CERT_CHAIN_CONTEXT* served = nullptr;
    DWORD size = sizeof served;
    if (store_ == nullptr ||
        !::InternetQueryOptionW(request, INTERNET_OPTION_SERVER_CERT_CHAIN_CONTEXT, &served, &size) || !served)
        return ERROR_INTERNET_INVALID_CA;
    const Chain servedChain(served);
    if (served->cChain == 0 || served->rgpChain[0]->cElement == 0)
        return ERROR_INTERNET_INVALID_CA;
    // The certificates the server sent besides its own may complete the chain, never end it.
    const CERT_CONTEXT* leaf = served->rgpChain[0]->rgpElement[0]->pCertContext;
    const ChainEngine engine = ExclusiveEngine(store_);
    if (!engine)
        return ERROR_INTERNET_INVALID_CA;
    LPSTR serverAuth = const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH);
    CERT_CHAIN_PARA para{};
    para.cbSize = sizeof para;
    para.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    para.RequestedUsage.Usage.cUsageIdentifier = 1;
    para.RequestedUsage.Usage.rgpszUsageIdentifier = &serverAuth;
    const CERT_CHAIN_CONTEXT* built = nullptr;
    if (!::CertGetCertificateChain(engine.get(), leaf, nullptr, leaf->hCertStore, &para, 0, nullptr, &built))
        return ERROR_INTERNET_INVALID_CA;
    const Chain chain(built);
    // Any fault at all: a partial chain, an untrusted root, a bad signature, a date, a usage.
    if (built->TrustStatus.dwErrorStatus != CERT_TRUST_NO_ERROR)
        return ERROR_INTERNET_INVALID_CA;
    return MadeOutTo(built, host) ? ERROR_SUCCESS : ERROR_INTERNET_SEC_CERT_CN_INVALID;
}

} // namespace zelto
