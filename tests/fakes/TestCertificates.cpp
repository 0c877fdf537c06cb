#include "fakes/TestCertificates.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>

#include <cstdio>
#include <stdexcept>

namespace zelto::fakes {

namespace {

EVP_PKEY* NewKey() {
    EVP_PKEY* key = EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256");
    if (!key)
        throw std::runtime_error("cannot make a test key");
    return key;
}

void AddExtension(X509* cert, X509* issuer, int nid, const std::string& value) {
    X509V3_CTX context;
    X509V3_set_ctx(&context, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str());
    if (!extension || !X509_add_ext(cert, extension, -1))
        throw std::runtime_error("cannot add a test certificate extension " + value);
    X509_EXTENSION_free(extension);
}

// A certificate for `subject` valid from an hour ago for a day, signed by issuerKey; self-signed when
// issuer is null.
X509* NewCertificate(const std::string& subject, EVP_PKEY* key, X509* issuer, EVP_PKEY* issuerKey, long serial) {
    X509* cert = X509_new();
    X509_set_version(cert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert), serial);
    X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert), 24 * 3600);
    X509_set_pubkey(cert, key);
    X509_NAME* name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(subject.c_str()), -1,
                               -1, 0);
    X509_set_issuer_name(cert, issuer ? X509_get_subject_name(issuer) : name);
    X509* signer = issuer ? issuer : cert;
    if (!issuer) {
        AddExtension(cert, signer, NID_basic_constraints, "critical,CA:TRUE");
        AddExtension(cert, signer, NID_key_usage, "critical,keyCertSign,cRLSign");
    } else {
        in_addr address{};
        const bool isAddress = ::inet_pton(AF_INET, subject.c_str(), &address) == 1;
        AddExtension(cert, signer, NID_subject_alt_name, (isAddress ? "IP:" : "DNS:") + subject);
        AddExtension(cert, signer, NID_basic_constraints, "CA:FALSE");
        AddExtension(cert, signer, NID_ext_key_usage, "serverAuth");
    }
    AddExtension(cert, signer, NID_subject_key_identifier, "hash");
    if (!X509_sign(cert, issuerKey ? issuerKey : key, EVP_sha256()))
        throw std::runtime_error("cannot sign a test certificate");
    return cert;
}

void Write(const std::filesystem::path& path, X509* cert, EVP_PKEY* key) {
    FILE* file = std::fopen(path.c_str(), "w");
    const bool ok = file && (cert ? PEM_write_X509(file, cert)
                                  : PEM_write_PrivateKey(file, key, nullptr, nullptr, 0, nullptr, nullptr));
    if (file)
        std::fclose(file);
    if (!ok)
        throw std::runtime_error("cannot write " + path.string());
}

} // namespace

struct TestCertificates::Keys {
    EVP_PKEY* caKey = NewKey();
    X509* ca = NewCertificate("Zelto Test Authority", caKey, nullptr, nullptr, 1);
    EVP_PKEY* strangerKey = NewKey();
    X509* stranger = NewCertificate("Stranger Authority", strangerKey, nullptr, nullptr, 1);
    long serial = 100;

    ~Keys() {
        X509_free(ca);
        X509_free(stranger);
        EVP_PKEY_free(caKey);
        EVP_PKEY_free(strangerKey);
    }
};

TestCertificates::TestCertificates(std::filesystem::path folder)
    : folder_(std::move(folder)), caFile_(folder_ / "ca.pem"), keys_(new Keys) {
    Write(caFile_, keys_->ca, nullptr);
    Write(StrangerFile(), keys_->stranger, nullptr);
}

TestCertificates::~TestCertificates() {
    delete keys_;
}

TestCertificates::Server TestCertificates::Issue(const std::string& file, const std::string& name, bool byStranger) {
    EVP_PKEY* key = NewKey();
    X509* issuer = byStranger ? keys_->stranger : keys_->ca;
    X509* cert = NewCertificate(name, key, issuer, byStranger ? keys_->strangerKey : keys_->caKey, ++keys_->serial);
    const Server server{folder_ / (file + ".crt"), folder_ / (file + ".key")};
    Write(server.cert, cert, nullptr);
    Write(server.key, nullptr, key);
    X509_free(cert);
    EVP_PKEY_free(key);
    return server;
}

} // namespace zelto::fakes
