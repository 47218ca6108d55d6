// SHA-1 and SHA-2 through OpenSSL's EVP interface.
#include "digest/clsShaContext.h"

#include "util/AppError.h"

#include <openssl/evp.h>

namespace {

// Fetched once per algorithm: looking it up in the provider for each of many small files costs time.
const EVP_MD* Algorithm(ShaAlgorithm algorithm) {
    struct Fetched {
        EVP_MD* md[5] = {EVP_MD_fetch(nullptr, "SHA1", nullptr), EVP_MD_fetch(nullptr, "SHA224", nullptr),
                         EVP_MD_fetch(nullptr, "SHA256", nullptr), EVP_MD_fetch(nullptr, "SHA384", nullptr),
                         EVP_MD_fetch(nullptr, "SHA512", nullptr)};
        ~Fetched() {
            for (EVP_MD* each : md) {
                EVP_MD_free(each);
            }
        }
    };
    static const Fetched fetched;
    return fetched.md[static_cast<int>(algorithm)];
}

EVP_MD_CTX* AsContext(void* context) {
    return static_cast<EVP_MD_CTX*>(context);
}

} // namespace

clsShaContext::clsShaContext(ShaAlgorithm algorithm) : m_Algorithm(algorithm), m_Context(EVP_MD_CTX_new()) {
    const EVP_MD* md = Algorithm(algorithm);
    if (m_Context == nullptr || md == nullptr || EVP_DigestInit_ex(AsContext(m_Context), md, nullptr) != 1) {
        EVP_MD_CTX_free(AsContext(m_Context));
        m_Context = nullptr;
        RaiseError(ErrorNumber::DigestFailed, ShaFailedMessage(algorithm));
    }
}

clsShaContext::~clsShaContext() {
    EVP_MD_CTX_free(AsContext(m_Context));
}

bool clsShaContext::Update(const unsigned char* data, std::size_t size) {
    return EVP_DigestUpdate(AsContext(m_Context), data, size) == 1;
}

bool clsShaContext::Final(std::vector<std::uint8_t>& digest) {
    digest.assign(ShaDigestSize(m_Algorithm), 0);
    unsigned int length = 0;
    return EVP_DigestFinal_ex(AsContext(m_Context), digest.data(), &length) == 1 && length == digest.size();
}
