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
        return;
    }

    std::int64_t counts[5] = {};
    m_Host.AddLog(kHeavySeparator);

    // A copy of the entry references: the host may run arbitrary events while the run yields.
    const std::vector<clsDigestList::ItemPtr> entries(m_DigestList.begin(), m_DigestList.end());
    for (const auto& entry : entries) {
        m_Host.DoEvents();

        const std::string& name = entry->Name();
        const auto [path, length] = ResolveListedFile(base, name);
        Outcome outcome = Outcome::Correct;
        if (!length) {
            outcome = Outcome::Missing;
        } else if (entry->Bytes() >= 0 && *length != entry->Bytes()) {
            outcome = Outcome::SizeMismatch;
        } else {
            const std::string listed = entry->Digest();
            bool equal = false;
            switch (entry->DigetsType()) {
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
                    equal = AsciiLower(FileSHA(path, ShaOfKind(entry->DigetsType()))) == AsciiLower(listed);
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
                m_Host.AddLog("○ " + name + " [" + entry->Digest() + "]");
                break;
            case Outcome::SizeMismatch:
                m_Host.AddLog("△ " + name);
                break;
            case Outcome::DigestMismatch:
                m_Host.AddLog("▲ " + name + " [" + entry->Digest() + "]");
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

clsCheckRun::ListedFile clsCheckRun::ResolveListedFile(const std::string& base, const std::string& name) {
    std::string path = base + name;
    if (auto length = ExistingFileLength(path)) {
        return {std::move(path), length};
    }
    // Lists are written on systems that ignore letter case in file names: accept the one file whose
    // name differs only in case. With none, or several, the name stays as listed (and is missing).
    auto [slot, isNew] = m_FolderIndex.try_emplace(base);
    auto& index = slot->second;
    if (isNew) {
        for (const FolderEntry& entry : ListFolder(base)) {
            if (entry.isFile) {
                index[CaseFold(entry.name)].push_back(entry.name);
            }
        }
    }
    const auto match = index.find(CaseFold(name));
    if (match != index.end() && match->second.size() == 1) {
        std::string found = base + match->second.front();
        auto length = ExistingFileLength(found);
        return {std::move(found), length};
    }
    return {std::move(path), std::nullopt};
}
