// SHA-1 and SHA-2 of a file, in the text form checksum lists use.
#pragma once

#include "digest/clsShaContext.h"

#include <string>

/// The digest of the file's bytes as lower-case hex digits (40, 56, 64, 96 or 128 of them). Raises the
/// digest error "SHA-256の算出に失敗しました。" (with the algorithm's name) when the file cannot be read.
std::string FileSHA(const std::string& path, ShaAlgorithm algorithm);
