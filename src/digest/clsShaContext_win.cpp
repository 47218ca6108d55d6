// SHA-1 and SHA-2 from the system's CNG provider; SHA-224, which it lacks, from our own code.
#include "digest/clsShaContext.h"

#include "digest/clsSha224.h"
#include "util/AppError.h"

#include <windows.h>

#include <bcrypt.h>

namespace {

// What m_Context points to: a CNG hash, or our SHA-224.
struct Engine {
    BCRYPT_HASH_HANDLE hash = nullptr;
    clsSha224 sha224;
};

// Opened once per algorithm for the life of the process: opening a provider is the slow part.
BCRYPT_ALG_HANDLE Provider(ShaAlgorithm algorithm) {
    struct Providers {
        BCRYPT_ALG_HANDLE handles[5] = {};
        Providers() {
            const wchar_t* ids[5] = {BCRYPT_SHA1_ALGORITHM, nullptr, BCRYPT_SHA256_ALGORITHM, BCRYPT_SHA384_ALGORITHM,
                                     BCRYPT_SHA512_ALGORITHM};
            for (int i = 0; i < 5; ++i) {
                if (ids[i] != nullptr) {
                    BCryptOpenAlgorithmProvider(&handles[i], ids[i], nullptr, 0);
                }
            }
        }
        ~Providers() {
            for (BCRYPT_ALG_HANDLE handle : handles) {
                if (handle != nullptr) {
                    BCryptCloseAlgorithmProvider(handle, 0);
                }
            }
        }
    };
    static const Providers providers;
    return providers.handles[static_cast<int>(algorithm)];
}

Engine* AsEngine(void* context) {
    return static_cast<Engine*>(context);
}

} // namespace

clsShaContext::clsShaContext(ShaAlgorithm algorithm) : m_Algorithm(algorithm) {
    auto engine = new Engine;
    if (algorithm != ShaAlgorithm::SHA224) {
        const BCRYPT_ALG_HANDLE provider = Provider(algorithm);
        if (provider == nullptr || BCryptCreateHash(provider, &engine->hash, nullptr, 0, nullptr, 0, 0) < 0) {
            delete engine;
            RaiseError(ErrorNumber::DigestFailed, ShaFailedMessage(algorithm));
        }
    }
    m_Context = engine;
}

clsShaContext::~clsShaContext() {
    Engine* engine = AsEngine(m_Context);
    if (engine->hash != nullptr) {
        BCryptDestroyHash(engine->hash);
    }
    delete engine;
}

bool clsShaContext::Update(const unsigned char* data, std::size_t size) {
    Engine* engine = AsEngine(m_Context);
    if (engine->hash == nullptr) {
        engine->sha224.Update(data, size);
        return true;
    }
    while (size > 0) {
        const ULONG piece = size > 0x40000000 ? 0x40000000 : static_cast<ULONG>(size);
        if (BCryptHashData(engine->hash, const_cast<PUCHAR>(data), piece, 0) < 0) {
            return false;
        }
        data += piece;
        size -= piece;
    }
    return true;
}

bool clsShaContext::Final(std::vector<std::uint8_t>& digest) {
    Engine* engine = AsEngine(m_Context);
    if (engine->hash == nullptr) {
        const clsSha224::Digest sha224 = engine->sha224.Final();
        digest.assign(sha224.begin(), sha224.end());
        return true;
    }
    digest.assign(ShaDigestSize(m_Algorithm), 0);
    return BCryptFinishHash(engine->hash, digest.data(), static_cast<ULONG>(digest.size()), 0) >= 0;
}
