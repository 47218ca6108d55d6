// How often text in code page 932 is also well-formed UTF-8 and would be read as UTF-8: generated Japanese
// file names by length and mix of characters, and whole lists of several such names.
//
// Usage: bench_encoding [SAMPLES]   (default 1000000 per row)
#include "Cp932Names.h"
#include "util/clsUtf8Validator.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool TakenForUtf8(const std::string& bytes) {
    clsUtf8Validator validator;
    validator.Feed(bytes);
    return validator.IsUtf8Text();
}

const char* MixName(Cp932Mix mix) {
    switch (mix) {
        case Cp932Mix::FullWidth:
            return "full-width";
        case Cp932Mix::HalfWidth:
            return "half-width kana";
        case Cp932Mix::Mixed:
            return "mixed";
    }
    return "";
}

} // namespace

int main(int argc, char** argv) {
    const long samples = argc > 1 ? std::atol(argv[1]) : 1000000;
    Cp932NameGenerator generator(20240611);
    const Cp932Mix mixes[] = {Cp932Mix::FullWidth, Cp932Mix::Mixed, Cp932Mix::HalfWidth};

    std::printf("Names (body only, no extension): share taken for UTF-8, %ld samples per cell\n", samples);
    std::printf("%-16s", "characters");
    for (int length = 1; length <= 8; ++length) {
        std::printf(" %10d", length);
    }
    std::printf("\n");
    for (const Cp932Mix mix : mixes) {
        std::printf("%-16s", MixName(mix));
        for (std::size_t length = 1; length <= 8; ++length) {
            long hits = 0;
            for (long i = 0; i < samples; ++i) {
                hits += TakenForUtf8(generator.Body(length, mix)) ? 1 : 0;
            }
            std::printf(" %9.5f%%", 100.0 * static_cast<double>(hits) / static_cast<double>(samples));
        }
        std::printf("\n");
    }

    std::printf("\nLists of N lines \"NAME.ext 1234ABCD\" (names of 2 to 10 characters): lists taken for UTF-8\n");
    for (const Cp932Mix mix : mixes) {
        for (const int lines : {1, 3, 10}) {
            long hits = 0;
            for (long i = 0; i < samples; ++i) {
                std::string list;
                for (int line = 0; line < lines; ++line) {
                    list += generator.FileName(mix) + " 1234ABCD\r\n";
                }
                hits += TakenForUtf8(list) ? 1 : 0;
            }
            std::printf("%-16s N=%-3d %ld of %ld (%.5f%%)\n", MixName(mix), lines, hits, samples,
                        100.0 * static_cast<double>(hits) / static_cast<double>(samples));
        }
    }
    return 0;
}
