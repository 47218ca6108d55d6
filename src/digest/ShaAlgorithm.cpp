#include "digest/ShaAlgorithm.h"

std::size_t ShaDigestSize(ShaAlgorithm algorithm) {
    switch (algorithm) {
        case ShaAlgorithm::SHA1:
            return 20;
        case ShaAlgorithm::SHA224:
            return 28;
        case ShaAlgorithm::SHA256:
            return 32;
        case ShaAlgorithm::SHA384:
            return 48;
        case ShaAlgorithm::SHA512:
            return 64;
    }
    return 0;
}

const char* ShaName(ShaAlgorithm algorithm) {
    switch (algorithm) {
        case ShaAlgorithm::SHA1:
            return "SHA-1";
        case ShaAlgorithm::SHA224:
            return "SHA-224";
        case ShaAlgorithm::SHA256:
            return "SHA-256";
        case ShaAlgorithm::SHA384:
            return "SHA-384";
        case ShaAlgorithm::SHA512:
            return "SHA-512";
    }
    return "";
}

std::string ShaFailedMessage(ShaAlgorithm algorithm) {
    return std::string(ShaName(algorithm)) + "の算出に失敗しました。";
}
