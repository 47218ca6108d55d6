// MD5 from the system's CNG provider.
#include "digest/clsMD5Context.h"

#include "digest/DigestText.h"
#include "util/AppError.h"

#include <windows.h>

#include <bcrypt.h>

namespace {

BCRYPT_HASH_HANDLE AsHash(void* context) {
    return static_cast<BCRYPT_HASH_HANDLE>(context);
}

// Opened once for the life of the process: opening the provider is the slow part.
BCRYPT_ALG_HANDLE MD5Provider() {
    struct Provider {
        BCRYPT_ALG_HANDLE handle = nullptr;
        Provider() { BCryptOpenAlgorithmProvider(&handle, BCRYPT_MD5_ALGORITHM, nullptr, 0); }
        ~Provider() {
            if (handle != nullptr) {
                BCryptCloseAlgorithmProvider(handle, 0);
            }
        }
    };
    static const Provider provider;
    return provider.handle;
}

} // namespace

clsMD5Context::clsMD5Context() {
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (MD5Provider() == nullptr || BCryptCreateHash(MD5Provider(), &hash, nullptr, 0, nullptr, 0, 0) < 0) {
        RaiseError(ErrorNumber::DigestFailed, kMD5FailedMessage);
    }
    m_Context = hash;
}

clsMD5Context::~clsMD5Context() {
    if (m_Context != nullptr) {
        BCryptDestroyHash(AsHash(m_Context));
    }
}

bool clsMD5Context::Update(const unsigned char* data, std::size_t size) {
    while (size > 0) {
        const ULONG piece = size > 0x40000000 ? 0x40000000 : static_cast<ULONG>(size);
        if (BCryptHashData(AsHash(m_Context), const_cast<PUCHAR>(data), piece, 0) < 0) {
            return false;
        }
        data += piece;
        size -= piece;
    }
    return true;
}

bool clsMD5Context::Final(Digest& digest) {
    return BCryptFinishHash(AsHash(m_Context), digest.data(), static_cast<ULONG>(digest.size()), 0) >= 0;
}
