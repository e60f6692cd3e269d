#pragma once

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#ifdef _WIN32
#include <windows.h>
#include <wincrypt.h>
#else
#include <cstdlib>
#endif

// Makes the test server's authority trusted for as long as the object lives, the way a user or an
// administrator would, never through a switch of the product's:
// - Windows: the authority joins the machine's trusted roots (under Wine, the prefix's registry
//   store that crypt32 builds its chains from, which WinINet consults for every https server);
// - natively: SSL_CERT_FILE names the authority's file as the trusted bundle for this process and
//   the programs it starts.
namespace corvane::testing {

class TrustedTestAuthority {
  public:
    explicit TrustedTestAuthority(const std::string& pemFile) {
#ifdef _WIN32
        std::ifstream file(pemFile, std::ios::binary);
        const std::string pem((std::istreambuf_iterator<char>(file)), {});
        DWORD size = 0;
        if (!CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr,
                                  nullptr))
            throw std::runtime_error("no certificate in " + pemFile);
        std::string der(size, '\0');
        CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, reinterpret_cast<BYTE*>(der.data()),
                             &size, nullptr, nullptr);
        authority_ =
            CertCreateCertificateContext(X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()), size);
        // The registry store is written when it is closed: only then do other processes see it.
        HCERTSTORE roots = openRoots();
        const bool added =
            roots && authority_ &&
            CertAddCertificateContextToStore(roots, authority_, CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
        if (roots) CertCloseStore(roots, 0);
        if (!added) throw std::runtime_error("the test authority could not join the trusted roots");
#else
        if (const char* previous = std::getenv("SSL_CERT_FILE")) previous_ = previous;
        ::setenv("SSL_CERT_FILE", pemFile.c_str(), 1);
#endif
    }
    ~TrustedTestAuthority() {
#ifdef _WIN32
        if (HCERTSTORE roots = openRoots()) {
            if (PCCERT_CONTEXT found = CertFindCertificateInStore(roots, X509_ASN_ENCODING, 0,
                                                                  CERT_FIND_EXISTING, authority_, nullptr))
                CertDeleteCertificateFromStore(found);  // frees `found` too
            CertCloseStore(roots, 0);
        }
        CertFreeCertificateContext(authority_);
#else
        if (previous_.empty())
            ::unsetenv("SSL_CERT_FILE");
        else
            ::setenv("SSL_CERT_FILE", previous_.c_str(), 1);
#endif
    }
    TrustedTestAuthority(const TrustedTestAuthority&) = delete;
    TrustedTestAuthority& operator=(const TrustedTestAuthority&) = delete;

  private:
#ifdef _WIN32
    static HCERTSTORE openRoots() {
        return CertOpenStore(CERT_STORE_PROV_SYSTEM_REGISTRY_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE,
                             L"Root");
    }
    PCCERT_CONTEXT authority_ = nullptr;
#else
    std::string previous_;
#endif
};

}  // namespace corvane::testing
