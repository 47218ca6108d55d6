#include "digest/mdlAPISHA.h"

#include "digest/DigestText.h"
#include "util/AppError.h"
#include "util/SequentialFile.h"

std::string FileSHA(const std::string& path, ShaAlgorithm algorithm) {
    clsShaContext context(algorithm);
    const bool read = ReadSequentialFile(
        path, [&context](const unsigned char* data, std::size_t size) { return context.Update(data, size); });
    std::vector<std::uint8_t> digest;
    if (!read || !context.Final(digest)) {
        RaiseError(ErrorNumber::DigestFailed, ShaFailedMessage(algorithm));
    }
    return HexLower(digest.data(), digest.size());
}
