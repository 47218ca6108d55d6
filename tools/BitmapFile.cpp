#include "BitmapFile.h"

#include "ByteWriter.h"

namespace {

constexpr std::uint32_t FileHeaderSize = 14;
constexpr std::uint32_t InfoHeaderSize = 40;
constexpr std::uint32_t V5HeaderSize = 124;
constexpr std::uint32_t BiRgb = 0;
constexpr std::uint32_t BiBitfields = 3;
constexpr std::int32_t PixelsPerMetre = 3780; // 96 dots per inch
constexpr std::uint32_t PaletteEntries = 256;

std::uint32_t RowBytes(int width, int bitsPerPixel) {
    return ((static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(bitsPerPixel) + 31u) / 32u) * 4u;
}

void FileHeader(ByteWriter& out, std::uint32_t fileSize, std::uint32_t pixelOffset) {
    out.U8('B');
    out.U8('M');
    out.U32(fileSize);
    out.U32(0);
    out.U32(pixelOffset);
}

void InfoHeader(ByteWriter& out, int width, int height, int bitsPerPixel, std::uint32_t imageSize,
                std::uint32_t coloursUsed) {
    out.U32(InfoHeaderSize);
    out.I32(width);
    out.I32(height);
    out.U16(1);
    out.U16(static_cast<std::uint32_t>(bitsPerPixel));
    out.U32(BiRgb);
    out.U32(imageSize);
    out.I32(PixelsPerMetre);
    out.I32(PixelsPerMetre);
    out.U32(coloursUsed);
    out.U32(0);
}

// Rows bottom-up, each B G R A.
void Pixels32(ByteWriter& out, const Bitmap32& picture) {
    for (int y = picture.height - 1; y >= 0; --y) {
        for (int x = 0; x < picture.width; ++x) {
            const auto& px = picture.At(x, y);
            out.U8(px[2]);
            out.U8(px[1]);
            out.U8(px[0]);
            out.U8(px[3]);
        }
    }
}

} // namespace

std::string BitmapFile::Encode8(const IndexedImage& picture) {
    const std::uint32_t row = RowBytes(picture.width, 8);
    const std::uint32_t imageSize = row * static_cast<std::uint32_t>(picture.height);
    const std::uint32_t pixelOffset = FileHeaderSize + InfoHeaderSize + PaletteEntries * 4;
    ByteWriter out;
    FileHeader(out, pixelOffset + imageSize, pixelOffset);
    InfoHeader(out, picture.width, picture.height, 8, imageSize, PaletteEntries);
    for (std::uint32_t i = 0; i < PaletteEntries; ++i) {
        if (i < picture.palette.size()) {
            const auto& c = picture.palette[i];
            out.U8(c[2]);
            out.U8(c[1]);
            out.U8(c[0]);
            out.U8(0);
        } else {
            out.U32(0);
        }
    }
    for (int y = picture.height - 1; y >= 0; --y) {
        const std::size_t start = static_cast<std::size_t>(y) * static_cast<std::size_t>(picture.width);
        for (int x = 0; x < picture.width; ++x) {
            out.U8(picture.indices[start + static_cast<std::size_t>(x)]);
        }
        out.Zeros(row - static_cast<std::uint32_t>(picture.width));
    }
    return out.Bytes();
}

std::string BitmapFile::Encode32(const Bitmap32& picture) {
    const std::uint32_t imageSize = RowBytes(picture.width, 32) * static_cast<std::uint32_t>(picture.height);
    const std::uint32_t pixelOffset = FileHeaderSize + V5HeaderSize;
    ByteWriter out;
    FileHeader(out, pixelOffset + imageSize, pixelOffset);
    out.U32(V5HeaderSize);
    out.I32(picture.width);
    out.I32(picture.height);
    out.U16(1);
    out.U16(32);
    out.U32(BiBitfields);
    out.U32(imageSize);
    out.I32(PixelsPerMetre);
    out.I32(PixelsPerMetre);
    out.U32(0);
    out.U32(0);
    out.U32(0x00FF0000u); // red mask
    out.U32(0x0000FF00u); // green mask
    out.U32(0x000000FFu); // blue mask
    out.U32(0xFF000000u); // alpha mask
    out.U32(0x73524742u); // colour space 'sRGB'
    out.Zeros(36);        // end points, unused with sRGB
    out.Zeros(12);        // gamma, unused with sRGB
    out.U32(4);           // intent: LCS_GM_IMAGES
    out.Zeros(12);        // no profile, reserved
    Pixels32(out, picture);
    return out.Bytes();
}

std::string BitmapFile::EncodeIcon(const std::vector<Bitmap32>& pictures) {
    constexpr std::uint32_t DirectorySize = 6;
    constexpr std::uint32_t EntrySize = 16;
    std::vector<std::string> images;
    for (const Bitmap32& picture : pictures) {
        const std::uint32_t colourBytes = RowBytes(picture.width, 32) * static_cast<std::uint32_t>(picture.height);
        const std::uint32_t maskRow = RowBytes(picture.width, 1);
        const std::uint32_t maskBytes = maskRow * static_cast<std::uint32_t>(picture.height);
        ByteWriter image;
        // An icon image is a bitmap without file header whose height counts the colour and mask rows.
        InfoHeader(image, picture.width, picture.height * 2, 32, colourBytes + maskBytes, 0);
        Pixels32(image, picture);
        for (int y = picture.height - 1; y >= 0; --y) {
            std::string bits(maskRow, '\0');
            for (int x = 0; x < picture.width; ++x) {
                if (picture.At(x, y)[3] == 0) {
                    bits[static_cast<std::size_t>(x / 8)] =
                        static_cast<char>(bits[static_cast<std::size_t>(x / 8)] | (0x80 >> (x % 8)));
                }
            }
            for (char b : bits) {
                image.U8(static_cast<unsigned char>(b));
            }
        }
        images.push_back(image.Bytes());
    }

    ByteWriter out;
    out.U16(0);
    out.U16(1); // icon
    out.U16(static_cast<std::uint32_t>(pictures.size()));
    std::uint32_t offset = DirectorySize + EntrySize * static_cast<std::uint32_t>(pictures.size());
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        out.U8(pictures[i].width >= 256 ? 0u : static_cast<std::uint32_t>(pictures[i].width));
        out.U8(pictures[i].height >= 256 ? 0u : static_cast<std::uint32_t>(pictures[i].height));
        out.U8(0); // no palette
        out.U8(0);
        out.U16(1);  // planes
        out.U16(32); // bits per pixel
        out.U32(static_cast<std::uint32_t>(images[i].size()));
        out.U32(offset);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    std::string bytes = out.Bytes();
    for (const std::string& image : images) {
        bytes += image;
    }
    return bytes;
}
