// Recognises the two layouts of a checksum list: a file holding one bare digest, and "name digest [size]" lines.
#pragma once

#include <optional>
#include <string_view>

/// The parts of a list line; the views point into the parsed line.
struct ListLineFields {
    std::string_view name;   // the listed file name, without the blanks around it
    std::string_view digest; // 4, 8 or 32 hex digits
    std::string_view size;   // digits and commas as written; empty when the line gives no size
    bool hasSize = false;
};

/// Splits one line (no line break in it) into name, digest and optional size. The line is
/// `blanks name blanks digest [blanks size] blanks`, blanks being spaces and tabs; the name holds no
/// control character, tab or any of \ / : , ; * ? " < > | and does not end in a space; the digest is
/// 4, 8 or 32 hex digits; the size digits and commas. When several splits fit, the longest name wins.
/// Runs in time linear in the line's length. std::nullopt when the line does not fit.
std::optional<ListLineFields> ParseListLine(std::string_view line);

/// The other split of a line that ParseListLine reads with a last token of 4, 8 or 32 decimal digits as the
/// digest: that token as the size and the one before it as the digest ("data.zip 1A2B3C4D 12345678" as
/// data.zip, 1A2B3C4D, 12345678). Also the split of every line ParseListLine reads with a size. std::nullopt
/// when the line has no such split.
std::optional<ListLineFields> ParseListLineWithSize(std::string_view line);

/// ParseListLine and ParseListLineWithSize at once, for the price of one.
struct ListLineSplits {
    std::optional<ListLineFields> greedy;   // what ParseListLine gives
    std::optional<ListLineFields> withSize; // what ParseListLineWithSize gives
};
ListLineSplits SplitListLine(std::string_view line);

/// The digest of a text that is nothing but one digest of 4, 8 or 32 hex digits with white space
/// (space, tab, CR, LF, form feed, vertical tab) around it; std::nullopt for any other text.
std::optional<std::string_view> ParseSingleDigest(std::string_view text);
