#include "lists/clsDigestList.h"

#include "lists/ListLineParser.h"
#include "lists/ToolLineParser.h"
#include "lists/clsSingleDigestScanner.h"
#include "util/AppError.h"
#include "util/CodePage.h"
#include "util/PathHelpers.h"
#include "util/Wildcard.h"
#include "util/clsTextLineReader.h"

#include <limits>

namespace {

// "<cause>(<subject>)", or "<cause>(<subject> : <list file>)" when a list file is known.
std::string Describe(const std::string& cause, std::string_view subject, const std::string& listPath) {
    std::string text = cause + "(" + std::string(subject);
    if (!listPath.empty()) {
        text += " : " + listPath;
    }
    return text + ")";
}

// Digits and commas as a byte count; commas are ignored and no digits at all count as 0.
std::int64_t ParseSize(std::string_view sizeText, const std::string& listPath) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    std::int64_t value = 0;
    for (const char c : sizeText) {
        if (c == ',') {
            continue;
        }
        const int digit = c - '0';
        if (value > (kMax - digit) / 10) {
            RaiseError(ErrorNumber::Overflow, Describe("サイズの値が大きすぎます。", sizeText, listPath));
        }
        value = value * 10 + digit;
    }
    return value;
}

// The same without raising: nothing when the value does not fit.
std::optional<std::int64_t> TryParseSize(std::string_view sizeText) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    std::int64_t value = 0;
    for (const char c : sizeText) {
        if (c == ',') {
            continue;
        }
        const int digit = c - '0';
        if (value > (kMax - digit) / 10) {
            return std::nullopt;
        }
        value = value * 10 + digit;
    }
    return value;
}

// One reading of a line.
struct Reading {
    std::string name;
    std::string_view digest;
    DigestKind kind = DigestKind::None;
    std::int64_t bytes = -1;
    bool tool = false; // a coreutils or BSD reading
};

void AddOriginalReading(const std::optional<ListLineFields>& fields, std::vector<Reading>& readings) {
    if (!fields) {
        return;
    }
    const std::optional<std::int64_t> bytes = fields->hasSize ? TryParseSize(fields->size) : std::int64_t{-1};
    if (bytes) {
        readings.push_back(
            {std::string(fields->name), fields->digest, DigestKindOfWidth(fields->digest.size()), *bytes});
    }
}

// The readings of `text` other than the original grammar's greedy split (which `withGreedy` adds first):
// its split with a size, then the coreutils form, then the BSD tags.
void CollectReadings(std::string_view text, const ListLineSplits& splits, bool withGreedy,
                     std::vector<Reading>& readings) {
    if (withGreedy) {
        AddOriginalReading(splits.greedy, readings);
    }
    AddOriginalReading(splits.withSize, readings);
    if (auto fields = ParseCoreutilsLine(text)) {
        readings.push_back({std::move(fields->name), fields->digest, fields->kind, -1, true});
    } else if (auto tagged = ParseBsdTagLine(text)) {
        readings.push_back({std::move(tagged->name), tagged->digest, tagged->kind, -1, true});
    }
}

bool HasNonAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return true;
        }
    }
    return false;
}

bool IsHexText(std::string_view text) {
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return true;
}

[[noreturn]] void RaiseNameNotInList(std::string_view name) {
    RaiseError(ErrorNumber::InvalidArgument, Describe("指定された名前の項目はリストにありません。", name, {}));
}

} // namespace

clsDigestList::ItemPtr clsDigestList::Add(const std::string& strName) {
    return AddEntry(strName, {}, true);
}

clsDigestList::ItemPtr clsDigestList::NewItem() {
    constexpr std::size_t kBlockEntries = 1024;
    if (!m_Block || m_Block->size() == m_Block->capacity()) {
        m_Block = std::make_shared<std::vector<clsDigestListItem>>();
        m_Block->reserve(kBlockEntries); // never grows beyond: the entries must not move
    }
    m_Block->emplace_back();
    return ItemPtr(m_Block, &m_Block->back());
}

clsDigestList::ItemPtr clsDigestList::AddEntry(const std::string& strName, const std::string& listPath, bool unique) {
    if (!m_Keys.Append(strName, unique)) {
        RaiseError(ErrorNumber::DuplicateKey,
                   Describe("同じ名前のファイルがリストに2回記載されています。", strName, listPath));
    }
    ItemPtr item = NewItem();
    item->setName(strName);
    m_Items.push_back(item);
    return item;
}

void clsDigestList::Clear() {
    // The memory goes too: a run loads one list after another into the same object.
    std::vector<ItemPtr>().swap(m_Items);
    m_Keys.Clear();
    m_Readings.Clear();
    m_Block.reset();
}

std::int32_t clsDigestList::Count() const {
    return static_cast<std::int32_t>(m_Items.size());
}

std::size_t clsDigestList::PositionOf(std::int32_t Index) const {
    if (Index < 1 || Index > Count()) {
        RaiseError(ErrorNumber::InvalidArgument,
                   Describe("指定された位置の項目はリストにありません。", std::to_string(Index), {}));
    }
    return static_cast<std::size_t>(Index) - 1;
}

std::size_t clsDigestList::PositionOf(std::string_view Index) const {
    std::size_t position = m_Keys.Find(Index, NameRule::Exact);
    if (position == clsKeyIndex::npos) {
        position = m_Keys.Find(Index, NameRule::IgnoreCase);
    }
    if (position == clsKeyIndex::npos) {
        RaiseNameNotInList(Index);
    }
    return position;
}

clsDigestList::ItemPtr clsDigestList::Item(std::int32_t Index) const {
    return m_Items[PositionOf(Index)];
}

clsDigestList::ItemPtr clsDigestList::Item(std::string_view Index) const {
    return m_Items[PositionOf(Index)];
}

bool clsDigestList::HasExactName(std::string_view name) const {
    return m_Keys.Find(name, NameRule::Exact) != clsKeyIndex::npos;
}

std::int32_t clsDigestList::FirstPositionOf(std::string_view name) const {
    const std::size_t position = m_Keys.Find(name, NameRule::Exact);
    return position == clsKeyIndex::npos ? 0 : static_cast<std::int32_t>(position) + 1;
}

std::vector<clsDigestListItem> clsDigestList::OtherReadings(std::int32_t Index) const {
    const std::size_t position = PositionOf(Index);
    return m_Readings.Get(position, *m_Items[position]);
}

void clsDigestList::RemoveAt(std::size_t position) {
    m_Keys.RemoveAt(position);
    m_Readings.RemoveAt(position);
    m_Items.erase(m_Items.begin() + static_cast<std::ptrdiff_t>(position));
}

void clsDigestList::Remove(std::int32_t Index) {
    RemoveAt(PositionOf(Index));
}

void clsDigestList::Remove(std::string_view Index) {
    RemoveAt(PositionOf(Index));
}

void clsDigestList::LoadList(const std::string& strFileName) {
    clsTextLineReader reader(FileByteSource(strFileName));
    Load(reader, strFileName);
}

void clsDigestList::LoadListFromBytes(std::string_view bytes, const std::string& strFileName) {
    clsTextLineReader reader(MemoryByteSource(bytes));
    Load(reader, strFileName);
}

void clsDigestList::Load(clsTextLineReader& reader, const std::string& listPath) {
    reader.Encoding(); // reads the file once: an unreadable file leaves the list as it was
    Clear();

    // A text that is one bare digest has no line with a name, so the lines add nothing in that case and the
    // digest is looked at after them.
    clsSingleDigestScanner single;
    const bool ansiToo = reader.Encoding() == TextEncoding::Utf8 && !reader.HasByteOrderMark();
    reader.ReadLines([&](const TextLine& line) {
        single.Feed(line);
        if (!line.overlong) {
            AddLine(line.text, listPath, ansiToo);
        }
        return true;
    });

    // A file holding nothing but one digest lists the file named like the list without its last extension.
    const std::string listName = GetFileName(listPath);
    const auto token = single.Token();
    if (!token || !WildcardMatch(listName, "*?.*?")) {
        return;
    }
    // The widths of the original form first, then the SHA widths (image.iso.sha256 holding 64 digits).
    const bool original = ParseSingleDigest(*token).has_value();
    const DigestKind sha = DigestKindOfWidth(token->size());
    if (original || (sha >= DigestKind::SHA1 && IsHexText(*token))) {
        Clear();
        const ItemPtr item = AddEntry(listName.substr(0, listName.rfind('.')), listPath, true);
        if (original) {
            item->setDigest(*token);
        } else {
            item->setDigestOfKind(*token, sha);
        }
        item->setBytes(-1);
    }
}

void clsDigestList::AddLine(std::string_view line, const std::string& listPath, bool ansiToo) {
    // The other readings of the line first; for a list taken for UTF-8 without a mark, also those of the same
    // bytes in the ANSI code page, the way such lists were read before.
    const ListLineSplits splits = SplitListLine(line);
    std::vector<Reading> readings; // most lines have none, and then it costs nothing
    CollectReadings(line, splits, false, readings);
    const std::string ansi =
        ansiToo && HasNonAscii(line) ? AnsiToUtf8(line) : std::string(); // the readings point into it
    if (!ansi.empty()) {
        CollectReadings(ansi, SplitListLine(ansi), true, readings);
    }
    // The tools check each line of a file listed twice (two lists run together, a text and a binary line),
    // so only a name the original grammar alone lists twice is an error.
    bool unique = true;
    for (const Reading& reading : readings) {
        unique = unique && !reading.tool;
    }

    // The original grammar's reading makes the entry and behaves as it always did: a duplicate name or an
    // oversized size stops the load, this line's entry already in the list.
    ItemPtr entry;
    if (const auto& fields = splits.greedy) {
        entry = AddEntry(std::string(fields->name), listPath, unique);
        entry->setDigest(fields->digest);
        if (fields->hasSize) {
            entry->setBytes(ParseSize(fields->size, listPath));
        }
    }
    // The first other reading makes the entry when the original grammar gave none; the others go with it,
    // each name once.
    std::vector<StoredReading> others;
    for (const Reading& reading : readings) {
        if (!entry) {
            entry = AddEntry(reading.name, listPath, unique);
            entry->setDigestOfKind(reading.digest, reading.kind);
            entry->setBytes(reading.bytes);
            continue;
        }
        bool known = reading.name == entry->Name();
        for (const StoredReading& other : others) {
            known = known || reading.name == other.name;
        }
        if (!known) {
            others.push_back({reading.name, reading.digest, reading.kind, reading.bytes});
        }
    }
    if (!others.empty()) {
        m_Readings.Set(m_Items.size() - 1, *entry, others);
    }
}
