#include "digest/mdlAPIMD5.h"

#include "digest/DigestText.h"
#include "digest/clsMD5Context.h"
#include "util/AppError.h"
#include "util/SequentialFile.h"

std::string FileMD5(const std::string& path) {
    clsMD5Context context;
    const bool read = ReadSequentialFile(
        path, [&context](const unsigned char* data, std::size_t size) { return context.Update(data, size); });
    clsMD5Context::Digest digest{};
    if (!read || !context.Final(digest)) {
        RaiseError(ErrorNumber::DigestFailed, kMD5FailedMessage);
    }
    return HexLower(digest.data(), digest.size());
}

std::int16_t MD5Version() {
    return 101;
}
