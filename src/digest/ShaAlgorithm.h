// The SHA-1 and SHA-2 algorithms a list can name, their digest lengths and names.
#pragma once

#include <cstddef>
#include <string>

enum class ShaAlgorithm { SHA1, SHA224, SHA256, SHA384, SHA512 };

/// Digest length in bytes: 20, 28, 32, 48 or 64.
std::size_t ShaDigestSize(ShaAlgorithm algorithm);

/// "SHA-1", "SHA-224", "SHA-256", "SHA-384" or "SHA-512".
const char* ShaName(ShaAlgorithm algorithm);

/// The message of a failed computation: "SHA-256の算出に失敗しました。" and so on.
std::string ShaFailedMessage(ShaAlgorithm algorithm);
