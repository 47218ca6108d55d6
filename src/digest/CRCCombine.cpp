// Both CRCs are reflected, so their values are polynomials over GF(2) with x^0 in the top bit. The CRC of A
// followed by B is the CRC of A multiplied by x^(8 * length of B), modulo the generator, plus the CRC of B: for
// CRC-16/ARC because it is linear, and for CRC-32 because its inversions at start and end cancel in the sum.
#include "digest/CRCCombine.h"

#include <array>

namespace {

template <int Width, std::uint32_t Poly>
struct Reflected {
    static constexpr std::uint32_t kOne = std::uint32_t{1} << (Width - 1); // x^0

    // a * b modulo the generator.
    static constexpr std::uint32_t Multiply(std::uint32_t a, std::uint32_t b) {
        std::uint32_t product = 0;
        for (std::uint32_t m = kOne; m != 0; m >>= 1) {
            if ((a & m) != 0) {
                product ^= b;
            }
            b = (b & 1U) != 0 ? (b >> 1) ^ Poly : b >> 1;
        }
        return product;
    }

    // kPowers[k] is x^(2^k) modulo the generator, for every k that a 64-bit byte count times 8 needs.
    static constexpr std::array<std::uint32_t, 67> MakePowers() {
        std::array<std::uint32_t, 67> powers{};
        powers[0] = kOne >> 1; // x^1
        for (std::size_t k = 1; k < powers.size(); ++k) {
            powers[k] = Multiply(powers[k - 1], powers[k - 1]);
        }
        return powers;
    }
    static constexpr std::array<std::uint32_t, 67> kPowers = MakePowers();

    static std::uint32_t Combine(std::uint32_t crcA, std::uint32_t crcB, std::uint64_t lengthB) {
        // x^(8 * lengthB): the bits of lengthB pick powers x^(2^(k + 3)).
        std::uint32_t shift = kOne;
        for (std::size_t k = 3; lengthB != 0; lengthB >>= 1, ++k) {
            if ((lengthB & 1U) != 0) {
                shift = Multiply(kPowers[k], shift);
            }
        }
        return Multiply(shift, crcA) ^ crcB;
    }
};

using CRC32Field = Reflected<32, 0xEDB88320U>;
using CRC16Field = Reflected<16, 0xA001U>;

} // namespace

std::uint32_t CombineCRC32(std::uint32_t crcA, std::uint32_t crcB, std::uint64_t lengthB) {
    return CRC32Field::Combine(crcA, crcB, lengthB);
}

std::uint16_t CombineCRC16(std::uint16_t crcA, std::uint16_t crcB, std::uint64_t lengthB) {
    return static_cast<std::uint16_t>(CRC16Field::Combine(crcA, crcB, lengthB));
}
