// Reading a whole file front to back in large chunks; the platform's calls stay behind this function.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

/// Receives the chunks of a file in order. The bytes are valid only during the call; returning false
/// stops the reading, which then counts as failed.
using ChunkHandler = std::function<bool(const unsigned char* data, std::size_t size)>;

/// Size of the reused read buffer; a file larger than this arrives in several chunks.
inline constexpr std::size_t kSequentialChunkSize = std::size_t{1} << 20;

/// Reads the file at `path` (UTF-8) from its first to its last byte and hands every byte to
/// `onChunk` exactly once, in order, in chunks of at most kSequentialChunkSize bytes; an empty file
/// gives no chunk. Returns false, without throwing, when the file cannot be opened, is a folder, a
/// read fails or `onChunk` asks to stop; chunks handed over before such a failure are not taken back.
bool ReadSequentialFile(const std::string& path, const ChunkHandler& onChunk);
