#include "digest/mdlAPICRC32.h"

#include "digest/CRC16.h"
#include "digest/CRC32.h"
#include "digest/DigestText.h"
#include "util/AppError.h"
#include "util/SequentialFile.h"

// A CRC of 0 is a valid result; failure travels only as the error, never as a special value.

std::string FileCRC16(const std::string& path) {
    std::uint16_t crc = 0;
    const bool read = ReadSequentialFile(path, [&crc](const unsigned char* data, std::size_t size) {
        crc = UpdateCRC16(crc, data, size);
        return true;
    });
    if (!read) {
        RaiseError(ErrorNumber::DigestFailed, kCRCFailedMessage);
    }
    return HexUpper(crc, 4);
}

std::string FileCRC32(const std::string& path) {
    std::uint32_t crc = 0;
    const bool read = ReadSequentialFile(path, [&crc](const unsigned char* data, std::size_t size) {
        crc = UpdateCRC32(crc, data, size);
        return true;
    });
    if (!read) {
        RaiseError(ErrorNumber::DigestFailed, kCRCFailedMessage);
    }
    return HexUpper(crc, 8);
}

std::int16_t CRC32Version() {
    return 101;
}
