// The client's TLS on Windows: the system's SChannel makes the connection
// (SchannelStream), and the server's certificate is checked here with the system's
// certificate functions before the log-on goes out: the pinned SHA-256 of the
// certificate, and/or a chain that leads to a certificate of the CA file, valid now
// and issued to the host the client dialled (DNS name or IP address).
#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <wincrypt.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/net/SchannelStream.h"
#include "common/net/ServerList.h"
#include "common/net/TlsClient.h"

namespace kel::net {
namespace {

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

struct CertFree {
    void operator()(const CERT_CONTEXT* c) const { CertFreeCertificateContext(c); }
};
using Cert = std::unique_ptr<const CERT_CONTEXT, CertFree>;

std::string Utf8(const wchar_t* wide) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(n > 0 ? n : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), n, nullptr, nullptr);
    utf8.resize(std::strlen(utf8.c_str()));
    return utf8;
}

std::wstring Wide(const std::string& utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), n);
    wide.resize(wcslen(wide.c_str()));
    return wide;
}

std::string DateText(const FILETIME& time) {
    SYSTEMTIME t{};
    FileTimeToSystemTime(&time, &t);
    char text[16];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u", t.wYear, t.wMonth, t.wDay);
    return text;
}

// A fingerprint as the log-on dialog has room for: its first and last bytes, enough
// to tell two apart (and no invitation to copy a refused server's into Kelmor.ini).
std::string ShortFingerprint(const Sha256& digest) {
    const std::string text = FingerprintText(digest);
    return text.substr(0, 11) + "…" + text.substr(text.size() - 8);
}

bool Sha256Of(const CERT_CONTEXT* cert, Sha256& digest) {
    DWORD size = static_cast<DWORD>(digest.size());
    return CryptHashCertificate(0, CALG_SHA_256, 0, cert->pbCertEncoded, cert->cbCertEncoded, digest.data(), &size) &&
           size == digest.size();
}

// The certificates of a CA file: its PEM blocks, or the whole file as one DER
// certificate. Empty with `why` when there are none.
std::vector<Cert> ReadCaFile(const std::string& path, std::string& why) {
    std::vector<Cert> certs;
    std::string bytes;
    FILE* f = _wfopen(Wide(path).c_str(), L"rb");
    if (!f) {
        why = "无法读取 CA 证书文件 " + path;
        return certs;
    }
    char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) bytes.append(chunk, n);
    std::fclose(f);
    const std::string begin = "-----BEGIN CERTIFICATE-----", end = "-----END CERTIFICATE-----";
    std::vector<std::string> ders;
    for (std::size_t at = bytes.find(begin); at != std::string::npos; at = bytes.find(begin, at + 1)) {
        const std::size_t stop = bytes.find(end, at);
        if (stop == std::string::npos) break;
        const std::string block = bytes.substr(at, stop + end.size() - at);
        DWORD size = 0;
        if (!CryptStringToBinaryA(block.data(), static_cast<DWORD>(block.size()), CRYPT_STRING_BASE64HEADER, nullptr,
                                  &size, nullptr, nullptr))
            continue;
        std::string der(size, '\0');
        if (CryptStringToBinaryA(block.data(), static_cast<DWORD>(block.size()), CRYPT_STRING_BASE64HEADER,
                                 reinterpret_cast<BYTE*>(der.data()), &size, nullptr, nullptr))
            ders.push_back(der.substr(0, size));
    }
    if (bytes.find(begin) == std::string::npos) ders.push_back(bytes);
    for (const std::string& der : ders)
        if (const CERT_CONTEXT* c = CertCreateCertificateContext(kEncoding, reinterpret_cast<const BYTE*>(der.data()),
                                                                 static_cast<DWORD>(der.size())))
            certs.emplace_back(c);
    if (certs.empty()) why = "CA 证书文件 " + path + " 中没有可读的证书";
    return certs;
}

bool SameCert(const CERT_CONTEXT* a, const CERT_CONTEXT* b) {
    return a->cbCertEncoded == b->cbCertEncoded &&
           std::memcmp(a->pbCertEncoded, b->pbCertEncoded, a->cbCertEncoded) == 0;
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    if (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}

// A DNS name of the certificate matches the host: case aside, and "*." standing for
// exactly one leftmost label.
bool NameMatches(const std::string& name, const std::string& host) {
    const std::string pattern = Lower(name), wanted = Lower(host);
    if (pattern.rfind("*.", 0) == 0) {
        const std::size_t dot = wanted.find('.');
        return dot != std::string::npos && dot > 0 && wanted.compare(dot, std::string::npos, pattern, 1) == 0;
    }
    return !pattern.empty() && pattern == wanted;
}

// The certificate is issued to the host: one of its subject's alternative names
// (a DNS name, or an IP address for an address), or without those its common name.
bool IssuedTo(const CERT_CONTEXT* cert, const std::string& host) {
    unsigned char ip[16];
    std::size_t ipLength = 0;
    if (InetPtonA(AF_INET, host.c_str(), ip) == 1)
        ipLength = 4;
    else if (InetPtonA(AF_INET6, host.c_str(), ip) == 1)
        ipLength = 16;
    const CERT_INFO* info = cert->pCertInfo;
    if (const CERT_EXTENSION* ext = CertFindExtension(szOID_SUBJECT_ALT_NAME2, info->cExtension, info->rgExtension)) {
        CERT_ALT_NAME_INFO* names = nullptr;
        DWORD size = 0;
        if (!CryptDecodeObjectEx(kEncoding, X509_ALTERNATE_NAME, ext->Value.pbData, ext->Value.cbData,
                                 CRYPT_DECODE_ALLOC_FLAG, nullptr, &names, &size))
            return false;
        bool found = false;
        for (DWORD i = 0; i < names->cAltEntry && !found; ++i) {
            const CERT_ALT_NAME_ENTRY& e = names->rgAltEntry[i];
            if (ipLength && e.dwAltNameChoice == CERT_ALT_NAME_IP_ADDRESS)
                found = e.IPAddress.cbData == ipLength && std::memcmp(e.IPAddress.pbData, ip, ipLength) == 0;
            else if (!ipLength && e.dwAltNameChoice == CERT_ALT_NAME_DNS_NAME && e.pwszDNSName)
                found = NameMatches(Utf8(e.pwszDNSName), host);
        }
        LocalFree(names);
        return found;
    }
    wchar_t common[256] = {};
    CertGetNameStringW(cert, CERT_NAME_ATTR_TYPE, 0, const_cast<char*>(szOID_COMMON_NAME), common, 256);
    return ipLength ? Utf8(common) == host : NameMatches(Utf8(common), host);
}

// Checks the server's certificate against the CA file; "" when it holds, else why not.
std::string CheckChain(const CERT_CONTEXT* leaf, const std::string& host, const std::string& caFile) {
    std::string why;
    const std::vector<Cert> cas = ReadCaFile(caFile, why);
    if (cas.empty()) return why;
    HCERTSTORE mine = CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, CERT_STORE_CREATE_NEW_FLAG, nullptr);
    HCERTSTORE all = CertOpenStore(CERT_STORE_PROV_COLLECTION, 0, 0, CERT_STORE_CREATE_NEW_FLAG, nullptr);
    for (const Cert& ca : cas) CertAddCertificateContextToStore(mine, ca.get(), CERT_STORE_ADD_ALWAYS, nullptr);
    CertAddStoreToCollection(all, mine, 0, 0);
    if (leaf->hCertStore) CertAddStoreToCollection(all, leaf->hCertStore, 0, 0);  // what the server sent along
    CERT_CHAIN_PARA para{};
    para.cbSize = sizeof para;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    if (!CertGetCertificateChain(nullptr, leaf, nullptr, all, &para, 0, nullptr, &chain) || !chain ||
        chain->cChain == 0) {
        why = "无法构建证书链";
    } else {
        // The chain must reach a certificate of the CA file; what lies beyond it (its
        // own issuers, a root the system does not trust) does not matter.
        const CERT_SIMPLE_CHAIN* simple = chain->rgpChain[0];
        DWORD anchor = simple->cElement;
        for (DWORD i = 0; i < simple->cElement && anchor == simple->cElement; ++i)
            for (const Cert& ca : cas)
                if (SameCert(simple->rgpElement[i]->pCertContext, ca.get())) anchor = i;
        if (anchor == simple->cElement) why = "证书不是由 CA 证书文件 " + caFile + " 中的机构签发的";
        constexpr DWORD kBeyondOurs = CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_IS_PARTIAL_CHAIN |
                                      CERT_TRUST_REVOCATION_STATUS_UNKNOWN | CERT_TRUST_IS_OFFLINE_REVOCATION;
        for (DWORD i = 0; i <= anchor && i < simple->cElement && why.empty(); ++i) {
            const CERT_CHAIN_ELEMENT* e = simple->rgpElement[i];
            const CERT_INFO* info = e->pCertContext->pCertInfo;
            const std::string whose = i == 0 ? "证书" : "签发机构的证书";
            const LONG time = CertVerifyTimeValidity(nullptr, const_cast<CERT_INFO*>(info));
            if (time > 0)
                why = whose + "已过期（有效期至 " + DateText(info->NotAfter) + "）";
            else if (time < 0)
                why = whose + "尚未生效（自 " + DateText(info->NotBefore) + " 起有效）";
            else if (e->TrustStatus.dwErrorStatus & ~kBeyondOurs)
                why = "证书链无效（错误状态 " + std::to_string(e->TrustStatus.dwErrorStatus) + "）";
        }
        if (why.empty() && !IssuedTo(leaf, host)) why = "证书不是签发给 " + host + " 的";
    }
    if (chain) CertFreeCertificateChain(chain);
    CertCloseStore(all, 0);
    CertCloseStore(mine, 0);
    return why;
}

}  // namespace

ConnectResult StartClientTls(std::unique_ptr<Stream>& stream, const std::string& host, std::uint16_t port,
                             const TlsClientOptions& options, Deadline deadline) {
    const std::string where = AddressText({host, port});
    const auto failed = [&](int error, const std::string& why) {
        return ConnectResult{error, false, "无法与应用服务器 " + where + " 建立加密连接：" + why};
    };
    const auto unverified = [&](const std::string& why) {
        return ConnectResult{kChannelNotConnected, false,
                             "应用服务器 " + where + " 的证书未通过验证，未发送任何数据：" + why};
    };
    std::optional<Sha256> pinned;
    if (!options.fingerprintHex.empty() && !(pinned = ParseFingerprint(options.fingerprintHex)))
        return failed(kChannelNotConnected, "服务器证书指纹 \"" + options.fingerprintHex +
                                                "\" 格式不对（应为 SHA-256 的 64 位十六进制数，可用冒号分隔）");

    int error = kChannelOk;
    std::string why;
    std::unique_ptr<SchannelStream> tls = SchannelStream::Handshake(stream, host, deadline, error, why);
    if (!tls) return failed(error, why);

    // Nothing of the caller's has gone out yet: the certificate decides whether it may.
    const Cert leaf(tls->ServerCertificate());
    if (!leaf) return unverified("服务器没有出示证书");
    if (pinned) {
        Sha256 actual{};
        if (!Sha256Of(leaf.get(), actual)) return unverified("无法计算证书指纹");
        if (actual != *pinned)
            return unverified("证书指纹 " + ShortFingerprint(actual) + " 与配置的指纹 " + ShortFingerprint(*pinned) +
                              " 不符");
    }
    if (!options.caFile.empty()) {
        why = CheckChain(leaf.get(), host, options.caFile);
        if (!why.empty()) return unverified(why);
    }
    stream = std::move(tls);
    return ConnectResult{};
}

}  // namespace kel::net
