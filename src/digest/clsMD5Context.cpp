#include "digest/clsMD5Context.h"

#include "digest/DigestText.h"
#include "util/AppError.h"

#include <openssl/evp.h>

namespace {

// Fetched once: looking the algorithm up in the provider for each of many small files costs time.
const EVP_MD* MD5Algorithm() {
    struct Fetched {
        EVP_MD* md = EVP_MD_fetch(nullptr, "MD5", nullptr);
        ~Fetched() { EVP_MD_free(md); }
    };
    static const Fetched fetched;
    return fetched.md != nullptr ? fetched.md : EVP_md5();
}

EVP_MD_CTX* AsContext(void* context) {
    return static_cast<EVP_MD_CTX*>(context);
}

} // namespace

clsMD5Context::clsMD5Context() : m_Context(EVP_MD_CTX_new()) {
    const EVP_MD* md = MD5Algorithm();
    if (m_Context == nullptr || md == nullptr || EVP_DigestInit_ex(AsContext(m_Context), md, nullptr) != 1) {
        EVP_MD_CTX_free(AsContext(m_Context));
        m_Context = nullptr;
        RaiseError(ErrorNumber::DigestFailed, kMD5FailedMessage);
    }
}

clsMD5Context::~clsMD5Context() {
    EVP_MD_CTX_free(AsContext(m_Context));
}

bool clsMD5Context::Update(const unsigned char* data, std::size_t size) {
    return EVP_DigestUpdate(AsContext(m_Context), data, size) == 1;
}

bool clsMD5Context::Final(Digest& digest) {
    unsigned int length = 0;
    return EVP_DigestFinal_ex(AsContext(m_Context), digest.data(), &length) == 1 && length == digest.size();
}
