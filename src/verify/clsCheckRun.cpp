#include "verify/clsCheckRun.h"

#include "digest/clsDigestPool.h"
#include "util/CaseFold.h"
#include "util/FileSystem.h"
#include "util/PathHelpers.h"
#include "util/clsStringList.h"
#include "verify/CheckCancelled.h"
#include "verify/ICheckHost.h"

#include <algorithm>
#include <utility>

namespace {

const std::string kHeavySeparator(40, '=');
// Jobs reach the pool's workers a few dozen at a time: fewer wake-ups than one by one.
constexpr std::size_t kJobsPerHandOver = 64;
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

} // namespace

clsCheckRun::clsCheckRun(ICheckHost& host, NumberFormatter formatNumber)
    : m_Host(host), m_FormatNumber(std::move(formatNumber)) {}

clsCheckRun::~clsCheckRun() = default;

void clsCheckRun::CheckDropFiles(const clsStringList& dropFiles, const std::string& checkFolder) {
    m_Totals = {};
    m_Stopped = false;
    SetProgress(0, dropFiles.Count(), 0);
    m_Host.SetDropBoxBusy(true);
    m_Host.ClearLog();
    try {
        for (std::int32_t i = 0; i < dropFiles.Count(); ++i) {
            SetProgress(i + 1, dropFiles.Count(), 0);
            CheckDigestFile(dropFiles.Item(i), checkFolder);
        }
    } catch (const CheckCancelled&) {
        m_Stopped = true;
    }
    m_Host.AddLog(kHeavySeparator);
    m_Host.AddLog(m_Stopped ? "チェックを中止しました。" : "チェックを終了しました。");
    m_Host.SelectLastLogLine();
    m_Host.SetDropBoxBusy(false);
    ResetCancel();
}

void clsCheckRun::ResetCancel() {
    m_Cancelled = false;
}

void clsCheckRun::Cancel() {
    m_Cancelled = true;
    std::lock_guard lock(m_ProgressMutex);
    if (m_Pool) {
        m_Pool->Cancel(); // stops the files being hashed too, within a chunk
    }
}

void clsCheckRun::setWorkers(unsigned workers) {
    std::lock_guard lock(m_ProgressMutex);
    m_Workers = workers;
    m_Pool.reset();
}

clsDigestPool& clsCheckRun::Pool() {
    std::lock_guard lock(m_ProgressMutex);
    if (!m_Pool) {
        m_Pool = std::make_unique<clsDigestPool>(m_Workers);
    }
    return *m_Pool;
}

CheckProgress clsCheckRun::Progress() const {
    std::lock_guard lock(m_ProgressMutex);
    CheckProgress progress = m_Progress;
    if (m_Pool && progress.listBytes > 0) {
        progress.listBytesDone =
            std::min<std::int64_t>(static_cast<std::int64_t>(m_Pool->BytesDone()), progress.listBytes);
    }
    return progress;
}

void clsCheckRun::SetProgress(std::int32_t listNumber, std::int32_t listCount, std::int64_t listBytes) {
    std::lock_guard lock(m_ProgressMutex);
    m_Progress = CheckProgress{listNumber, listCount, listBytes, 0, {}};
}

void clsCheckRun::SetCurrentFile(const std::string& name) {
    std::lock_guard lock(m_ProgressMutex);
    m_Progress.currentFile = name;
}

void clsCheckRun::Yield() {
    m_Host.DoEvents(); // where a host hears of a cancel too
    if (m_Cancelled) {
        throw CheckCancelled{};
    }
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

    // First every listed file is looked up, so that the bytes to hash are known before the lines are
    // written; the pool's workers start on the files while the rest are looked up.
    clsDigestPool& pool = Pool();
    pool.Start({}, true);
    std::vector<PlannedEntry> plan;
    plan.reserve(static_cast<std::size_t>(m_DigestList.Count()));
    std::vector<DigestJob> jobs;
    std::size_t jobCount = 0;
    std::int64_t bytesToHash = 0;
    std::int32_t position = 0;
    for (const clsDigestList::ItemPtr& entry : m_DigestList) {
        ++position;
        if (m_Cancelled) {
            throw CheckCancelled{};
        }
        PlannedEntry& planned = plan.emplace_back(PlanEntry(base, entry, position));
        if (planned.outcome == Outcome::DigestPending) {
            const clsDigestListItem& reading = planned.Reading();
            jobs.push_back(
                {planned.path.empty() ? base + reading.Name() : planned.path, reading.DigetsType(), planned.length});
            planned.job = static_cast<std::int64_t>(jobCount++);
            bytesToHash += planned.length;
            if (jobs.size() >= kJobsPerHandOver) {
                pool.Add(std::exchange(jobs, {}));
            }
        }
    }
    pool.Add(std::move(jobs));
    pool.NoMoreJobs();
    const CheckProgress progress = Progress();
    SetProgress(progress.listNumber, progress.listCount, bytesToHash);

    std::int64_t counts[5] = {};
    m_Host.AddLog(kHeavySeparator);
    try {
        for (PlannedEntry& planned : plan) {
            Yield();
            WriteEntry(planned, counts);
        }
    } catch (const CheckCancelled&) {
        WriteSummary(counts); // the entries done so far
        throw;
    }
    WriteSummary(counts);
}

clsCheckRun::PlannedEntry clsCheckRun::PlanEntry(const std::string& base, const clsDigestList::ItemPtr& entry,
                                                 std::int32_t position) {
    PlannedEntry planned;
    planned.entry = entry;
    ListedFile file = ResolveListedFile(base, entry->Name());
    // A line that reads more than one way is checked the first way unless only another way names a file.
    if (!file.length) {
        for (clsDigestListItem& other : m_DigestList.OtherReadings(position)) {
            if (ListedFile found = ResolveListedFile(base, other.Name()); found.length) {
                planned.other = std::make_unique<clsDigestListItem>(std::move(other));
                file = std::move(found);
                break;
            }
        }
    }
    const clsDigestListItem& reading = planned.Reading();
    if (file.path != base + reading.Name()) {
        planned.path = std::move(file.path);
    }
    planned.length = file.length.value_or(-1);
    if (!file.length) {
        planned.outcome = Outcome::Missing;
    } else if (reading.Bytes() >= 0 && *file.length != reading.Bytes()) {
        planned.outcome = Outcome::SizeMismatch;
    } else if (reading.DigetsType() >= DigestKind::CRC16 && reading.DigetsType() <= DigestKind::SHA512) {
        planned.outcome = Outcome::DigestPending;
    } else {
        planned.outcome = Outcome::Undetermined;
    }
    return planned;
}

void clsCheckRun::WriteEntry(PlannedEntry& planned, std::int64_t (&counts)[5]) {
    const clsDigestListItem& reading = planned.Reading();
    const std::string name = ShownName(reading.Name());
    if (planned.outcome == Outcome::DigestPending) {
        SetCurrentFile(name);
        const std::string listed = reading.Digest();
        std::string actual;
        try {
            actual = Pool().Take(static_cast<std::size_t>(planned.job));
        } catch (const DigestCancelled&) {
            throw CheckCancelled{};
        }
        const bool upper = reading.DigetsType() == DigestKind::CRC16 || reading.DigetsType() == DigestKind::CRC32;
        const bool equal = upper ? AsciiUpper(actual) == AsciiUpper(listed) : AsciiLower(actual) == AsciiLower(listed);
        planned.outcome = equal ? Outcome::Correct : Outcome::DigestMismatch;
    }
    switch (planned.outcome) {
        case Outcome::Correct:
            m_Host.AddLog("○ " + name + " [" + reading.Digest() + "]");
            break;
        case Outcome::SizeMismatch:
            m_Host.AddLog("△ " + name);
            break;
        case Outcome::DigestMismatch:
            m_Host.AddLog("▲ " + name + " [" + reading.Digest() + "]");
            break;
        case Outcome::Missing:
            m_Host.AddLog("× " + name);
            break;
        default:
            m_Host.AddLog("？ " + name);
            break;
    }
    ++counts[static_cast<int>(planned.outcome)];
}

void clsCheckRun::WriteSummary(const std::int64_t (&counts)[5]) {
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
