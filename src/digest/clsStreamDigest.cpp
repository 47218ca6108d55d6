#include "digest/clsStreamDigest.h"

#include "digest/CRC16.h"
#include "digest/CRC32.h"
#include "digest/DigestText.h"
#include "util/AppError.h"

namespace {

ShaAlgorithm ShaOfKind(DigestKind kind) {
    switch (kind) {
        case DigestKind::SHA1:
            return ShaAlgorithm::SHA1;
        case DigestKind::SHA224:
            return ShaAlgorithm::SHA224;
        case DigestKind::SHA256:
            return ShaAlgorithm::SHA256;
        case DigestKind::SHA384:
            return ShaAlgorithm::SHA384;
        default:
            return ShaAlgorithm::SHA512;
    }
}

} // namespace

bool clsStreamDigest::IsKind(DigestKind kind) {
    return kind >= DigestKind::CRC16 && kind <= DigestKind::SHA512;
}

std::string clsStreamDigest::FailedMessage(DigestKind kind) {
    switch (kind) {
        case DigestKind::CRC16:
        case DigestKind::CRC32:
            return kCRCFailedMessage;
        case DigestKind::MD5:
            return kMD5FailedMessage;
        default:
            return ShaFailedMessage(ShaOfKind(kind));
    }
}

void clsStreamDigest::Start(DigestKind kind) {
    if (!IsKind(kind)) {
        RaiseError(ErrorNumber::InvalidArgument, "プロシージャの呼び出し、または引数が不正です。");
    }
    m_Kind = kind;
    m_CRC = 0;
    m_MD5.reset();
    m_SHA.reset();
    if (kind == DigestKind::MD5) {
        m_MD5.emplace();
    } else if (kind >= DigestKind::SHA1) {
        m_SHA.emplace(ShaOfKind(kind));
    }
}

bool clsStreamDigest::Update(const unsigned char* data, std::size_t size) {
    switch (m_Kind) {
        case DigestKind::CRC16:
            m_CRC = UpdateCRC16(static_cast<std::uint16_t>(m_CRC), data, size);
            return true;
        case DigestKind::CRC32:
            m_CRC = UpdateCRC32(m_CRC, data, size);
            return true;
        case DigestKind::MD5:
            return m_MD5->Update(data, size);
        default:
            return m_SHA->Update(data, size);
    }
}

std::size_t clsStreamDigest::Finish(char* text) {
    switch (m_Kind) {
        case DigestKind::CRC16:
            WriteHexUpper(m_CRC, 4, text);
            return 4;
        case DigestKind::CRC32:
            WriteHexUpper(m_CRC, 8, text);
            return 8;
        case DigestKind::MD5: {
            clsMD5Context::Digest digest{};
            const bool done = m_MD5->Final(digest);
            m_MD5.reset();
            if (!done) {
                return 0;
            }
            WriteHexLower(digest.data(), digest.size(), text);
            return 2 * digest.size();
        }
        default: {
            const bool done = m_SHA->Final(m_ShaDigest);
            m_SHA.reset();
            if (!done) {
                return 0;
            }
            WriteHexLower(m_ShaDigest.data(), m_ShaDigest.size(), text);
            return 2 * m_ShaDigest.size();
        }
    }
}
