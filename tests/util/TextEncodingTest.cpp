// Encodings of list and INI files: byte-order marks, decoding in pieces, UTF-8 detection and reading lines.
#include "util/TextEncoding.h"
#include "util/clsTextDecoder.h"
#include "util/clsTextLineReader.h"
#include "util/clsUtf8Validator.h"

#include "TestPlatform.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace std::string_literals;

// `text` as UTF-16 bytes: every char16_t unit in the given byte order.
std::string Utf16(std::u16string_view text, bool bigEndian) {
    std::string bytes;
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

// Decodes `bytes` fed in pieces of `piece` bytes.
std::string DecodeInPieces(std::string_view bytes, TextEncoding encoding, std::size_t piece) {
    clsTextDecoder decoder(encoding);
    std::string text;
    for (std::size_t pos = 0; pos < bytes.size(); pos += piece) {
        decoder.Decode(bytes.substr(pos, piece), text);
    }
    decoder.Finish(text);
    return text;
}

TEST(TextEncoding, DecodesWholeOrInPiecesAlike) {
    const std::string bad = "\xEF\xBF\xBD";
    const std::tuple<std::string, TextEncoding, std::string> cases[] = {
        {Utf16(u"a\u3042\U0001F600\r\n", false), TextEncoding::Utf16LE, "aあ😀\r\n"},
        {Utf16(u"a\u3042\U0001F600\r\n", true), TextEncoding::Utf16BE, "aあ😀\r\n"},
        // Unpaired surrogates (high then a letter, a lone low, high at the end) and an odd last byte.
        {Utf16(u"\xD83Dx\xDE00y\xD83D", false), TextEncoding::Utf16LE, bad + "x" + bad + "y" + bad},
        {Utf16(u"ab", true) + "c", TextEncoding::Utf16BE, "ab" + bad},
        {"a\xC3\xA9\xE3\x81\x82\xF0\x9F\x98\x80", TextEncoding::Utf8, "aéあ😀"},
        // Malformed UTF-8: one mark per byte that is no part of a character.
        {"\xC0\xAFx\xE3\x81y\xED\xA0\x80\xE3", TextEncoding::Utf8,
         bad + bad + "x" + bad + bad + "y" + bad + bad + bad + bad},
        {"\x93\xFA\x96\x7B a\r\n\x95\x5C", TextEncoding::Ansi, "日本 a\r\n表"},
        {"\x82\xA0\x82", TextEncoding::Ansi, "あ" + bad},
        {"", TextEncoding::Utf16LE, ""},
    };
    for (const auto& [bytes, encoding, text] : cases) {
        SCOPED_TRACE(::testing::PrintToString(bytes));
        EXPECT_EQ(DecodeText(bytes, encoding), text);
        for (std::size_t piece = 1; piece <= 5; ++piece) {
            EXPECT_EQ(DecodeInPieces(bytes, encoding, piece), text) << "pieces of " << piece;
        }
    }
    // A long ANSI run without any byte below 0x40 still comes out whole, in pieces too.
    std::string run;
    for (int i = 0; i < 50000; ++i) {
        run += "\x82\xA0";
    }
    const std::string decoded = DecodeInPieces(run, TextEncoding::Ansi, 4099);
    EXPECT_EQ(decoded.size(), 150000u);
    EXPECT_EQ(decoded.find(bad), std::string::npos);
}

TEST(TextEncoding, MarksAndUtf16Encoding) {
    const std::tuple<std::string, std::optional<TextEncoding>, std::size_t> marks[] = {
        {"\xEF\xBB\xBFx", TextEncoding::Utf8, 3}, {"\xFF\xFEx", TextEncoding::Utf16LE, 2},
        {"\xFE\xFF", TextEncoding::Utf16BE, 2},   {"\xEF\xBB", std::nullopt, 0},
        {"x\xFF\xFE", std::nullopt, 0},           {"", std::nullopt, 0}};
    for (const auto& [bytes, encoding, length] : marks) {
        const auto mark = FindByteOrderMark(bytes);
        ASSERT_EQ(mark.has_value(), encoding.has_value()) << ::testing::PrintToString(bytes);
        if (mark) {
            EXPECT_EQ(mark->encoding, *encoding);
            EXPECT_EQ(mark->length, length);
        }
    }
    for (const bool bigEndian : {false, true}) {
        EXPECT_EQ(EncodeUtf16("aあ😀\xC0", bigEndian), Utf16(u"a\u3042\U0001F600\uFFFD", bigEndian));
    }
}

TEST(Utf8Validator, UsesUtf8OnlyForWellFormedTextBeyondAscii) {
    const std::tuple<std::string, bool> cases[] = {
        {"plain ASCII\r\n", false},
        {"", false},
        {"日本語 名前.txt", true},
        {"caf\xC3\xA9", true},
        {"\xF0\x9F\x98\x80", true},
        {"caf\xC3", false},                 // cut off at the end
        {"\xC0\xAF", false},                // overlong
        {"\xED\xA0\x80", false},            // surrogate
        {"\xF4\x90\x80\x80", false},        // beyond U+10FFFF
        {"\x93\xFA\x96\x7B.txt", false},    // 日本 in code page 932
        {"\xC3\xA9\x80", false},            // a stray continuation byte
        {"\xE3\x81\x82\xE3\x81\x41", false} // a character broken by an ASCII byte
    };
    for (const auto& [bytes, utf8] : cases) {
        for (std::size_t piece = 1; piece <= 4; ++piece) {
            clsUtf8Validator validator;
            for (std::size_t pos = 0; pos < bytes.size(); pos += piece) {
                validator.Feed(std::string_view(bytes).substr(pos, piece));
            }
            EXPECT_EQ(validator.IsUtf8Text(), utf8) << ::testing::PrintToString(bytes) << " in pieces of " << piece;
        }
    }
}

using Lines = std::vector<std::string>;

// Every line the reader gives, overlong ones as "<long>" or "<long blank>", read in pieces of `piece`.
Lines ReadAll(const std::string& bytes, std::size_t piece, std::size_t maxLine, TextEncoding* encoding = nullptr) {
    clsTextLineReader reader(MemoryByteSource(bytes, piece), maxLine);
    Lines lines;
    reader.ReadLines([&lines](const TextLine& line) {
        lines.push_back(line.overlong ? (line.blank ? "<long blank>" : "<long>") : std::string(line.text));
        return true;
    });
    if (encoding != nullptr) {
        *encoding = reader.Encoding();
    }
    return lines;
}

TEST(TextLineReader, EncodingsLineEndsAndLongLines) {
    const struct {
        std::string bytes;
        TextEncoding encoding;
        Lines lines;
    } cases[] = {
        {"", TextEncoding::Ansi, {}},
        {"a\r\nb\rc\n\nd", TextEncoding::Ansi, {"a", "b", "c", "", "d"}},
        {"a\n", TextEncoding::Ansi, {"a"}},
        {"\r\r\n", TextEncoding::Ansi, {"", ""}},
        {"\x93\xFA\x96\x7B\r\n\x95\x5C", TextEncoding::Ansi, {"日本", "表"}},
        {"日本\r\n表", TextEncoding::Utf8, {"日本", "表"}},
        {"\xEF\xBB\xBF"
         "abc\n",
         TextEncoding::Utf8,
         {"abc"}},
        {"\xEF\xBB\xBF"
         "\x93\xFA",
         TextEncoding::Utf8,
         {"\uFFFD\uFFFD"}}, // the mark decides, even for bad bytes
        {"\xFF\xFE" + Utf16(u"x y\r\n\u8868\r", false), TextEncoding::Utf16LE, {"x y", "表"}},
        {"\xFE\xFF" + Utf16(u"\u65E5\n\n", true), TextEncoding::Utf16BE, {"日", ""}},
        {"\xFF\xFE", TextEncoding::Utf16LE, {}},
        // The line limit here is 8 bytes: longer lines come without their text.
        {"12345678\n123456789\n \t\f\v \t\f\v \nx", TextEncoding::Ansi, {"12345678", "<long>", "<long blank>", "x"}},
        {"\xFF\xFE" + Utf16(u"\u3042\u3042\u3042\n\u3042\u3042", false), TextEncoding::Utf16LE, {"<long>", "ああ"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.bytes));
        for (const std::size_t piece : {1, 2, 3, 5, 65536}) {
            TextEncoding encoding = TextEncoding::Ansi;
            EXPECT_EQ(ReadAll(c.bytes, piece, 8, &encoding), c.lines) << "pieces of " << piece;
            EXPECT_EQ(encoding, c.encoding);
        }
    }
}

TEST(TextLineReader, StopsWhenAskedAndRaisesReadErrors) {
    clsTextLineReader reader(MemoryByteSource("a\nb\nc\n", 1));
    Lines lines;
    reader.ReadLines([&lines](const TextLine& line) {
        lines.emplace_back(line.text);
        return lines.size() < 2;
    });
    EXPECT_EQ(lines, (Lines{"a", "b"}));
    clsTextLineReader missing(FileByteSource("/no/such/folder/list.txt"));
    EXPECT_ANY_THROW(missing.Encoding());
}

} // namespace
