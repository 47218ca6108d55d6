#include "verify/clsCheckRun.h"

#include "digest/mdlAPICRC32.h"
#include "digest/mdlAPIMD5.h"
#include "digest/mdlAPISHA.h"
#include "util/CaseFold.h"
#include "util/FileSystem.h"
#include "util/PathHelpers.h"
#include "util/clsStringList.h"
#include "verify/ICheckHost.h"

#include <utility>

namespace {

const std::string kHeavySeparator(40, '=');
const std::string kLightSeparator(40, '-');

// Digests are ASCII hex digits; the user's locale must not take part in comparing them.
std::string AsciiUpper(std::string text) {
    for (char& c : text) {
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return text;
}

std::string AsciiLower(std::string text) {
    for (char& c : text) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return text;
}

ShaAlgorithm ShaOfKind(std::int32_t kind) {
    switch (kind) {
        case DigestKind::SHA1:
            return ShaAlgorithm::SHA1;
        case DigestKind::SHA224:
            return ShaAlgorithm::SHA224;
        case DigestKind::SHA256:
            return ShaAlgorithm::SHA256;
        case DigestKind::SHA384:
            return ShaAlgorithm::SHA384;
        default:
            return ShaAlgorithm::SHA512;
    }
}

// Names from escaped tool lines may hold line breaks; a log line never does.
std::string ShownName(const std::string& name) {
    if (name.find_first_of("\r\n") == std::string::npos) {
        return name;
    }
    std::string shown;
    for (const char c : name) {
        shown += c == '\n' ? std::string("\\n") : c == '\r' ? std::string("\\r") : std::string(1, c);
    }
    return shown;
}

enum class Outcome { Correct, SizeMismatch, DigestMismatch, Missing, Undetermined };

} // namespace

clsCheckRun::clsCheckRun(ICheckHost& host, NumberFormatter formatNumber)
    : m_Host(host), m_FormatNumber(std::move(formatNumber)) {}

void clsCheckRun::CheckDropFiles(const clsStringList& dropFiles, const std::string& checkFolder) {
    m_Totals = {};
    m_Host.SetDropBoxBusy(true);
    m_Host.ClearLog();
    for (std::int32_t i = 0; i < dropFiles.Count(); ++i) {
        CheckDigestFile(dropFiles.Item(i), checkFolder);
    }
    m_Host.AddLog(kHeavySeparator);
    m_Host.AddLog("チェックを終了しました。");
    m_Host.SelectLastLogLine();
    m_Host.SetDropBoxBusy(false);
}

void clsCheckRun::CheckDigestFile(const std::string& listPath, const std::string& checkFolder) {
    const std::string base = checkFolder.empty() ? AddBackslash(GetParentFolder(listPath)) : AddBackslash(checkFolder);

    m_FolderIndex.clear(); // the folder may have changed since the last list was checked
    m_DigestList.Clear();
    m_DigestList.LoadList(listPath);
    if (m_DigestList.Count() < 1) {
        ++m_Totals.listsWithoutEntries;
        m_Host.ListHasNoEntries(listPath);
        return;
    }

    std::int64_t counts[5] = {};
    m_Host.AddLog(kHeavySeparator);

    // A copy of the entry references: the host may run arbitrary events while the run yields.
    const std::vector<clsDigestList::ItemPtr> entries(m_DigestList.begin(), m_DigestList.end());
    for (std::size_t position = 0; position < entries.size(); ++position) {
        const clsDigestList::ItemPtr& entry = entries[position];
        m_Host.DoEvents();

        // A line that reads more than one way is checked the first way unless only another way names a file.
        const clsDigestListItem* reading = entry.get();
        ListedFile file = ResolveListedFile(base, entry->Name());
        std::vector<clsDigestListItem> others;
        if (!file.length) {
            others = m_DigestList.OtherReadings(static_cast<std::int32_t>(position + 1));
            for (const clsDigestListItem& other : others) {
                if (ListedFile found = ResolveListedFile(base, other.Name()); found.length) {
                    reading = &other;
                    file = std::move(found);
                    break;
                }
            }
        }

        const std::string name = ShownName(reading->Name());
        const std::string& path = file.path;
        Outcome outcome = Outcome::Correct;
        if (!file.length) {
            outcome = Outcome::Missing;
        } else if (reading->Bytes() >= 0 && *file.length != reading->Bytes()) {
            outcome = Outcome::SizeMismatch;
        } else {
            const std::string listed = reading->Digest();
            bool equal = false;
            switch (reading->DigetsType()) {
                case DigestKind::CRC16:
                    equal = AsciiUpper(FileCRC16(path)) == AsciiUpper(listed);
                    break;
                case DigestKind::CRC32:
                    equal = AsciiUpper(FileCRC32(path)) == AsciiUpper(listed);
                    break;
                case DigestKind::MD5:
                    equal = AsciiLower(FileMD5(path)) == AsciiLower(listed);
                    break;
                case DigestKind::SHA1:
                case DigestKind::SHA224:
                case DigestKind::SHA256:
                case DigestKind::SHA384:
                case DigestKind::SHA512:
                    equal = AsciiLower(FileSHA(path, ShaOfKind(reading->DigetsType()))) == AsciiLower(listed);
                    break;
                default:
                    outcome = Outcome::Undetermined;
                    break;
            }
            if (outcome != Outcome::Undetermined) {
                outcome = equal ? Outcome::Correct : Outcome::DigestMismatch;
            }
        }

        switch (outcome) {
            case Outcome::Correct:
                m_Host.AddLog("○ " + name + " [" + reading->Digest() + "]");
                break;
            case Outcome::SizeMismatch:
                m_Host.AddLog("△ " + name);
                break;
            case Outcome::DigestMismatch:
                m_Host.AddLog("▲ " + name + " [" + reading->Digest() + "]");
                break;
            case Outcome::Missing:
                m_Host.AddLog("× " + name);
                break;
            case Outcome::Undetermined:
                m_Host.AddLog("？ " + name);
                break;
        }
        ++counts[static_cast<int>(outcome)];
    }

    m_Host.AddLog(kLightSeparator);
    m_Host.AddLog("○: " + m_FormatNumber(counts[0]) + " (正常)");
    m_Host.AddLog("△: " + m_FormatNumber(counts[1]) + " (サイズが不一致)");
    m_Host.AddLog("▲: " + m_FormatNumber(counts[2]) + " (CRC/MDが不一致)");
    m_Host.AddLog("×: " + m_FormatNumber(counts[3]) + " (存在しない)");
    m_Host.AddLog("？: " + m_FormatNumber(counts[4]) + " (不明なエラー)");

    m_Totals.correct += counts[0];
    m_Totals.sizeMismatch += counts[1];
    m_Totals.digestMismatch += counts[2];
    m_Totals.missing += counts[3];
    m_Totals.undetermined += counts[4];
}

const std::vector<FolderEntry>* clsCheckRun::FolderMatches(const std::string& folder, std::string_view name) {
    auto [slot, isNew] = m_FolderIndex.try_emplace(folder);
    auto& index = slot->second;
    if (isNew) {
        for (FolderEntry& entry : ListFolder(folder)) {
            std::string key = CaseFold(entry.name);
            index[std::move(key)].push_back(std::move(entry));
        }
    }
    const auto match = index.find(CaseFold(name));
    return match == index.end() ? nullptr : &match->second;
}

std::optional<std::string> clsCheckRun::UniqueMatch(const std::string& folder, std::string_view name, bool wantFile) {
    const std::vector<FolderEntry>* matches = FolderMatches(folder, name);
    if (matches == nullptr) {
        return std::nullopt;
    }
    const std::string* found = nullptr;
    for (const FolderEntry& entry : *matches) {
        if (wantFile ? entry.isFile : entry.isFolder) {
            if (found != nullptr) {
                return std::nullopt; // several candidates: no guessing
            }
            found = &entry.name;
        }
    }
    return found != nullptr ? std::optional<std::string>(*found) : std::nullopt;
}

clsCheckRun::ListedFile clsCheckRun::ResolveInFolder(const std::string& folder, const std::string& name) {
    std::string path = folder + name;
    if (auto length = ExistingFileLength(path)) {
        return {std::move(path), length};
    }
    // Lists are written on systems that ignore letter case in file names: accept the one file whose
    // name differs only in case. With none, or several, the name stays as listed (and is missing).
    if (const std::optional<std::string> match = UniqueMatch(folder, name, true)) {
        std::string found = folder + *match;
        auto length = ExistingFileLength(found);
        return {std::move(found), length};
    }
    return {std::move(path), std::nullopt};
}

clsCheckRun::ListedFile clsCheckRun::ResolveListedFile(const std::string& base, const std::string& name) {
    if (name.find_first_of("/\\") == std::string::npos) {
        return ResolveInFolder(base, name);
    }
    // A name with folders, from a tool's list: "/" and "\" both separate, relative to the base folder.
    // Where a backslash can be part of a file name, the name as written comes first.
    const char separator = PathSeparator();
    if (separator == '/' && name.find('\\') != std::string::npos) {
        if (auto length = ExistingFileLength(base + name)) {
            return {base + name, length};
        }
    }
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t end = name.find_first_of("/\\", start);
        parts.push_back(std::string_view(name).substr(start, end - start));
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    std::string folder = base;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        const std::string part(parts[i]);
        if (part.empty()) {
            continue; // "a//b" is "a/b"
        }
        if (part == "." || part == ".." || FolderExists(folder + part)) {
            folder += part + separator;
        } else if (const std::optional<std::string> match = UniqueMatch(folder, part, false)) {
            folder += *match + separator;
        } else {
            std::string path = folder + part;
            for (std::size_t j = i + 1; j < parts.size(); ++j) {
                path += separator + std::string(parts[j]);
            }
            return {std::move(path), std::nullopt};
        }
    }
    return ResolveInFolder(folder, std::string(parts.back()));
}
