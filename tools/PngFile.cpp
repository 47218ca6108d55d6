#include "PngFile.h"

#include <zlib.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace {

constexpr int Channels = 4;
constexpr std::uint8_t ColourTypeRgba = 6;

enum Filter : std::uint8_t { None, Sub, Up, Average, Paeth };

// Big-endian, as every number in the format.
void PutU32(std::string& out, std::uint32_t v) {
    for (const int shift : {24, 16, 8, 0}) {
        out.push_back(static_cast<char>((v >> shift) & 0xFFu));
    }
}

// A chunk: length, type, data, and the CRC-32 of type and data.
void Chunk(std::string& out, const char (&type)[5], const std::string& data) {
    PutU32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.append(type, 4);
    out += data;
    const auto* bytes = reinterpret_cast<const Bytef*>(out.data() + typeAt);
    PutU32(out, static_cast<std::uint32_t>(crc32(0L, bytes, static_cast<uInt>(4 + data.size()))));
}

std::uint8_t PaethPredictor(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a);
    const int pb = std::abs(p - b);
    const int pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) {
        return static_cast<std::uint8_t>(a);
    }
    return static_cast<std::uint8_t>(pb <= pc ? b : c);
}

// Row `row` filtered with `filter`; `previous` is the row above (zeros for the first).
std::vector<std::uint8_t> Filtered(Filter filter, const std::vector<std::uint8_t>& row,
                                   const std::vector<std::uint8_t>& previous) {
    std::vector<std::uint8_t> out(row.size());
    for (std::size_t i = 0; i < row.size(); ++i) {
        const int left = i >= Channels ? row[i - Channels] : 0;
        const int up = previous[i];
        const int upLeft = i >= Channels ? previous[i - Channels] : 0;
        int predicted = 0;
        switch (filter) {
            case Sub:
                predicted = left;
                break;
            case Up:
                predicted = up;
                break;
            case Average:
                predicted = (left + up) / 2;
                break;
            case Paeth:
                predicted = PaethPredictor(left, up, upLeft);
                break;
            default:
                break;
        }
        out[i] = static_cast<std::uint8_t>(row[i] - predicted);
    }
    return out;
}

// The usual heuristic: the filter whose output, read as signed bytes, sums to the least magnitude.
std::uint64_t Cost(const std::vector<std::uint8_t>& filtered) {
    std::uint64_t sum = 0;
    for (const std::uint8_t v : filtered) {
        sum += static_cast<std::uint64_t>(std::abs(static_cast<int>(static_cast<std::int8_t>(v))));
    }
    return sum;
}

std::string FilteredRows(const Bitmap32& picture) {
    const std::size_t rowBytes = static_cast<std::size_t>(picture.width) * Channels;
    std::string out;
    out.reserve((rowBytes + 1) * static_cast<std::size_t>(picture.height));
    std::vector<std::uint8_t> previous(rowBytes, 0);
    std::vector<std::uint8_t> row(rowBytes);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const auto& px = picture.At(x, y);
            std::copy(px.begin(), px.end(), row.begin() + static_cast<std::ptrdiff_t>(x) * Channels);
        }
        Filter best = None;
        std::vector<std::uint8_t> bestBytes = row;
        std::uint64_t bestCost = Cost(row);
        for (const Filter filter : {Sub, Up, Average, Paeth}) {
            std::vector<std::uint8_t> candidate = Filtered(filter, row, previous);
            const std::uint64_t cost = Cost(candidate);
            if (cost < bestCost) {
                best = filter;
                bestCost = cost;
                bestBytes = std::move(candidate);
            }
        }
        out.push_back(static_cast<char>(best));
        out.append(bestBytes.begin(), bestBytes.end());
        previous.swap(row);
    }
    return out;
}

std::string Deflated(const std::string& data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string out(size, '\0');
    const int result = compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                                 reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()), 9);
    if (result != Z_OK) {
        throw std::runtime_error("zlib could not compress the image (error " + std::to_string(result) + ")");
    }
    out.resize(size);
    return out;
}

} // namespace

std::string PngFile::Encode(const Bitmap32& picture) {
    static constexpr std::array<unsigned char, 8> Signature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::string out(Signature.begin(), Signature.end());

    std::string header;
    PutU32(header, static_cast<std::uint32_t>(picture.width));
    PutU32(header, static_cast<std::uint32_t>(picture.height));
    header.push_back(8); // bits per channel
    header.push_back(static_cast<char>(ColourTypeRgba));
    header.append(3, '\0'); // deflate, adaptive filtering, no interlace
    Chunk(out, "IHDR", header);
    Chunk(out, "IDAT", Deflated(FilteredRows(picture)));
    Chunk(out, "IEND", {});
    return out;
}
