// Generated Japanese file names in code page 932, as lists from Japanese Windows systems hold them.
#pragma once

#include <cstdint>
#include <random>
#include <string>

/// Which characters a generated name is made of.
enum class Cp932Mix {
    FullWidth, // kanji of both levels, hiragana, katakana, full-width letters and digits, marks
    HalfWidth, // half-width katakana only
    Mixed      // full-width with some half-width katakana and ASCII between them
};

class Cp932NameGenerator {
public:
    explicit Cp932NameGenerator(std::uint32_t seed) : m_Random(seed) {}

    /// `characters` characters of the mix, in code page 932 bytes, no extension.
    std::string Body(std::size_t characters, Cp932Mix mix) {
        std::string name;
        for (std::size_t i = 0; i < characters; ++i) {
            const std::uint32_t pick = Below(100);
            if (mix == Cp932Mix::HalfWidth || (mix == Cp932Mix::Mixed && pick < 15)) {
                name += static_cast<char>(0xA6 + Below(0xDF - 0xA6 + 1)); // ｦ to ﾟ
            } else if (mix == Cp932Mix::Mixed && pick < 25) {
                static const char kAscii[] = "abcxyzABC0123456789_-.";
                name += kAscii[Below(sizeof kAscii - 1)];
            } else {
                AppendFullWidth(name);
            }
        }
        return name;
    }

    /// A name as people give files: a body of 2 to 10 characters and an extension.
    std::string FileName(Cp932Mix mix) {
        static const char* const kExtensions[] = {".txt", ".jpg", ".zip", ".pdf", ".mp3", ".bin"};
        return Body(2 + Below(9), mix) + kExtensions[Below(6)];
    }

    std::uint32_t Below(std::uint32_t n) { return static_cast<std::uint32_t>(m_Random() % n); }

private:
    // A second byte of a double-byte character: 0x40 to 0xFC without 0x7F.
    char Trail() {
        const std::uint32_t t = 0x40 + Below(0xFC - 0x40);
        return static_cast<char>(t >= 0x7F ? t + 1 : t);
    }

    void AppendFullWidth(std::string& name) {
        const std::uint32_t pick = Below(100);
        if (pick < 40) { // kanji of level 1, rows that are fully assigned
            name += static_cast<char>(0x89 + Below(0x97 - 0x89 + 1));
            name += Trail();
        } else if (pick < 55) { // kanji of level 2
            const std::uint32_t lead = 0x99 + Below(0x9F - 0x99 + 1 + 0xE9 - 0xE0 + 1);
            name += static_cast<char>(lead <= 0x9F ? lead : lead - 0xA0 + 0xE0);
            name += Trail();
        } else if (pick < 75) { // hiragana
            name += '\x82';
            name += static_cast<char>(0x9F + Below(0xF1 - 0x9F + 1));
        } else if (pick < 92) { // katakana
            const std::uint32_t t = 0x40 + Below(0x96 - 0x40);
            name += '\x83';
            name += static_cast<char>(t >= 0x7F ? t + 1 : t);
        } else if (pick < 97) { // full-width digits and letters
            static const unsigned char kFirst[] = {0x4F, 0x60, 0x81};
            static const unsigned char kCount[] = {10, 26, 26};
            const std::uint32_t group = Below(3);
            name += '\x82';
            name += static_cast<char>(kFirst[group] + Below(kCount[group]));
        } else { // marks: ー ・ （ ） 「 」 【 】
            static const unsigned char kMarks[] = {0x5B, 0x45, 0x69, 0x6A, 0x75, 0x76, 0x79, 0x7A};
            name += '\x81';
            name += static_cast<char>(kMarks[Below(8)]);
        }
    }

    std::mt19937 m_Random;
};
