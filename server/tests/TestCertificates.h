// Certificates made at test time (never kept in the repository): a CA, server
// certificates it signs for chosen names and validity, a self-signed one, each
// written as PEM files into a folder.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kel::server::test {

struct CertificateFiles {
    std::string cert;  // PEM certificate
    std::string key;   // PEM private key (unencrypted)
};

class TestCertificates {
public:
    // Makes the CA "Kelmor Test CA <name>" in `folder`.
    TestCertificates(const std::filesystem::path& folder, const std::string& name);
    ~TestCertificates();
    TestCertificates(const TestCertificates&) = delete;
    TestCertificates& operator=(const TestCertificates&) = delete;

    const std::string& CaFile() const { return ca_.cert; }
    // A server certificate signed by the CA for the DNS names and IP addresses given,
    // valid from `fromDays` to `toDays` days from now (negative: in the past).
    CertificateFiles Issue(const std::string& file, const std::vector<std::string>& dnsNames,
                           const std::vector<std::string>& ipAddresses, long fromDays = -1, long toDays = 30);
    // A self-signed certificate for "localhost" and 127.0.0.1.
    static CertificateFiles SelfSigned(const std::filesystem::path& folder, const std::string& file);

private:
    std::filesystem::path folder_;
    CertificateFiles ca_;
    void* caKey_ = nullptr;   // EVP_PKEY
    void* caCert_ = nullptr;  // X509
};

}  // namespace kel::server::test
