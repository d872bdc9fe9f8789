// The signed program, DLL and package (made by signed_packages.sh with a throwaway CA) under
// Wine's own Authenticode check, WinVerifyTrust with the generic verify action, once that CA
// is in the prefix's root store. Wine 8 finds the signature, checks a program's digest against
// it (a program changed after signing is refused; a package's digest it does not check) and
// builds the signer's certificate chain, but its verdict does not depend on that chain: a
// chain that ends in a root nobody trusts still passes. So the chain's own trust status is
// checked beside the verdict: trusted through the test CA, an untrusted root for a signer
// from another CA.
#include <gtest/gtest.h>
#include <windows.h>

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <string>

#include "package.h"
#include "process.h"

namespace {
std::wstring Wide(const std::string& text)
{
    std::wstring wide(text.size() + 1, L'\0');
    int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], int(wide.size()));
    wide.resize(length > 0 ? length - 1 : 0);
    return wide;
}

struct TrustResult {
    LONG status;        // WinVerifyTrust's verdict
    std::string signer; // the signing certificate's common name, when Wine found one
    DWORD chainErrors;  // the trust status of the signer's chain (CERT_TRUST_*); ~0: no chain
};

TrustResult VerifyTrust(const std::string& path)
{
    std::wstring widePath = Wide(path);
    WINTRUST_FILE_INFO file = {};
    file.cbStruct = sizeof file;
    file.pcwszFilePath = widePath.c_str();
    WINTRUST_DATA data = {};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE; // the throwaway CA publishes no revocation list
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    TrustResult result = {WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data),
                          "", ~DWORD(0)};
    CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(data.hWVTStateData);
    CRYPT_PROVIDER_SGNR* signer = provider ? WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0)
                                           : nullptr;
    if (signer && signer->pChainContext)
        result.chainErrors = signer->pChainContext->TrustStatus.dwErrorStatus;
    if (signer && signer->csCertChain > 0 && signer->pasCertChain[0].pCert) {
        char name[256] = "";
        CertGetNameStringA(signer->pasCertChain[0].pCert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0,
                           nullptr, name, sizeof name);
        result.signer = name;
    }
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    (void)WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    return result;
}

std::string Hex(LONG status)
{
    char text[16];
    snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(status));
    return text;
}

// The test CA in the local machine's root store for the life of the object.
class TrustedTestCa {
public:
    TrustedTestCa()
    {
        std::string der = ReadFileBytes(SignedPath("ca.cer"));
        root = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE,
                             "Root");
        if (root && !der.empty())
            CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING,
                                             reinterpret_cast<const BYTE*>(der.data()),
                                             DWORD(der.size()), CERT_STORE_ADD_REPLACE_EXISTING,
                                             &added);
        // Wine writes a registry store back when it is closed or committed: the chain
        // engine opens the store afresh and would not see the CA before that.
        if (added)
            CertControlStore(root, 0, CERT_STORE_CTRL_COMMIT, nullptr);
    }
    ~TrustedTestCa()
    {
        if (added) {
            CertDeleteCertificateFromStore(added); // also frees the context
            CertControlStore(root, 0, CERT_STORE_CTRL_COMMIT, nullptr);
        }
        if (root)
            CertCloseStore(root, 0);
    }
    explicit operator bool() const { return added != nullptr; }

private:
    HCERTSTORE root = nullptr;
    PCCERT_CONTEXT added = nullptr;
};

} // namespace

TEST(SignatureTest, WineChecksTheDigestsAndTheChainEndsInTheTestCa)
{
    TrustedTestCa ca;
    ASSERT_TRUE(ca) << "could not add the test CA to the root store";

    const char* const kSigner = "USB Phone Driver Test Signer";
    const DWORD kNoChain = ~DWORD(0);
    struct Case {
        const char* what;
        std::string path;
        LONG status;
        const char* signer;
        DWORD chainErrors;
    } cases[] = {
        {"signed program", ProgramPath(), ERROR_SUCCESS, kSigner, CERT_TRUST_NO_ERROR},
        {"signed custom action DLL", SignedPath("setup_actions.dll"), ERROR_SUCCESS, kSigner,
         CERT_TRUST_NO_ERROR},
        {"signed package", PackagePath(), ERROR_SUCCESS, kSigner, CERT_TRUST_NO_ERROR},
        {"unsigned program of the build", SignedPath("unsigned-usbphone.exe"),
         TRUST_E_NOSIGNATURE, "", kNoChain},
        {"program changed after signing", SignedPath("tampered.exe"), TRUST_E_BAD_DIGEST, "",
         kNoChain},
        // Passed by Wine 8, which hashes a program's image but not a package's streams
        // (osslsigncode verify refuses it: signed_packages).
        {"package changed after signing", SignedPath("tampered.msi"), ERROR_SUCCESS, kSigner,
         CERT_TRUST_NO_ERROR},
        // Passed by Wine, though the chain ends in a root that is not trusted.
        {"program signed through another CA", SignedPath("stranger.exe"), ERROR_SUCCESS,
         "Untrusted Test Signer", CERT_TRUST_IS_UNTRUSTED_ROOT},
    };
    for (const Case& c : cases) {
        TrustResult result = VerifyTrust(c.path);
        EXPECT_EQ(Hex(result.status), Hex(c.status)) << c.what << ": " << c.path;
        EXPECT_EQ(result.signer, c.signer) << c.what;
        EXPECT_EQ(Hex(LONG(result.chainErrors)), Hex(LONG(c.chainErrors))) << c.what;
        printf("%-36s WinVerifyTrust %s, signer \"%s\", chain status %s\n", c.what,
               Hex(result.status).c_str(), result.signer.c_str(),
               Hex(LONG(result.chainErrors)).c_str());
    }
}
