#include "lists/clsDigestList.h"

#include "lists/ListLineParser.h"
#include "lists/clsSingleDigestScanner.h"
#include "util/AppError.h"
#include "util/CaseFold.h"
#include "util/PathHelpers.h"
#include "util/Wildcard.h"
#include "util/clsTextLineReader.h"

#include <algorithm>
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
    return AddEntry(strName, {});
}

clsDigestList::ItemPtr clsDigestList::AddEntry(const std::string& strName, const std::string& listPath) {
    std::string key = CaseFold(strName);
    if (m_ByKey.find(key) != m_ByKey.end()) {
        RaiseError(ErrorNumber::DuplicateKey,
                   Describe("同じ名前のファイルがリストに2回記載されています。", strName, listPath));
    }
    auto item = std::make_shared<clsDigestListItem>();
    item->setName(strName);
    m_ByKey.emplace(key, item);
    m_Keys.push_back(std::move(key));
    m_Items.push_back(item);
    return item;
}

void clsDigestList::Clear() {
    m_Items.clear();
    m_Keys.clear();
    m_ByKey.clear();
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
    const std::string key = CaseFold(Index);
    if (m_ByKey.find(key) == m_ByKey.end()) {
        RaiseNameNotInList(Index);
    }
    return static_cast<std::size_t>(std::find(m_Keys.begin(), m_Keys.end(), key) - m_Keys.begin());
}

clsDigestList::ItemPtr clsDigestList::Item(std::int32_t Index) const {
    return m_Items[PositionOf(Index)];
}

clsDigestList::ItemPtr clsDigestList::Item(std::string_view Index) const {
    const auto found = m_ByKey.find(CaseFold(Index));
    if (found == m_ByKey.end()) {
        RaiseNameNotInList(Index);
    }
    return found->second;
}

void clsDigestList::RemoveAt(std::size_t position) {
    m_ByKey.erase(m_Keys[position]);
    m_Keys.erase(m_Keys.begin() + static_cast<std::ptrdiff_t>(position));
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
    reader.ReadLines([&](const TextLine& line) {
        single.Feed(line);
        if (!line.overlong) {
            AddLine(line.text, listPath);
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
    const std::int32_t sha = DigestKindOfWidth(token->size());
    if (original || (sha >= DigestKind::SHA1 && IsHexText(*token))) {
        Clear();
        const ItemPtr item = AddEntry(listName.substr(0, listName.rfind('.')), listPath);
        if (original) {
            item->setDigest(*token);
        } else {
            item->setDigestOfKind(*token, sha);
        }
        item->setBytes(-1);
    }
}

void clsDigestList::AddLine(std::string_view line, const std::string& listPath) {
    if (const auto fields = ParseListLine(line)) {
        const ItemPtr item = AddEntry(std::string(fields->name), listPath);
        item->setDigest(fields->digest);
        if (fields->hasSize) {
            item->setBytes(ParseSize(fields->size, listPath));
        }
    }
}
