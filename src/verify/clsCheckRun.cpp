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
// Jobs handed to the pool ahead of the results taken, at most: the pool's list of jobs stays this short
// however long the checksum list, and its workers still never run dry.
constexpr std::int32_t kJobsAhead = 8192;
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

clsCheckRun::~clsCheckRun() {
    ReleasePool();
}

void clsCheckRun::CheckDropFiles(const clsStringList& dropFiles, const std::string& checkFolder) {
    m_Totals = {};
    m_Stopped = false;
    // However the run ends, its workers end with it.
    struct PoolRelease {
        clsCheckRun& run;
        ~PoolRelease() { run.ReleasePool(); }
    } release{*this};
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
    ReleasePool();
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
}

void clsCheckRun::setReaders(unsigned readers) {
    std::lock_guard lock(m_ProgressMutex);
    m_Readers = readers;
}

clsDigestPool& clsCheckRun::Pool() {
    std::lock_guard lock(m_ProgressMutex);
    if (!m_Pool) {
        clsDigestPool::Options options;
        options.workers = m_Workers;
        options.readers = m_Readers;
        m_Pool = std::make_unique<clsDigestPool>(options);
    }
    return *m_Pool;
}

void clsCheckRun::ReleasePool() {
    std::unique_ptr<clsDigestPool> pool;
    {
        std::lock_guard lock(m_ProgressMutex);
        pool = std::move(m_Pool);
    }
    // Joined outside the lock: a cancel or a progress query from another thread never waits for it.
    pool.reset();
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

void clsCheckRun::ThrowIfCancelled() const {
    if (m_Cancelled) {
        throw CheckCancelled{};
    }
}

void clsCheckRun::Yield() {
    m_Host.DoEvents(); // where a host hears of a cancel too
    ThrowIfCancelled();
}

void clsCheckRun::CheckDigestFile(const std::string& listPath, const std::string& checkFolder) {
    ListPlan plan;
    plan.base = checkFolder.empty() ? AddBackslash(GetParentFolder(listPath)) : AddBackslash(checkFolder);

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
    try {
        PlanEntries(plan);
        for (std::size_t index = 0; index < plan.entries.size(); ++index) {
            Yield();
            WriteEntry(plan, index, counts);
        }
    } catch (const CheckCancelled&) {
        WriteSummary(counts); // the entries done so far
        throw;
    }
    WriteSummary(counts);
}

// First every listed file is looked up, so that the bytes to hash are known before the lines are written;
// the pool's workers start on the files while the rest are looked up.
void clsCheckRun::PlanEntries(ListPlan& plan) {
    plan.entries.reserve(static_cast<std::size_t>(m_DigestList.Count()));
    Pool().Start({}, true);
    std::int64_t bytesToHash = 0;
    for (const clsDigestList::ItemPtr& entry : m_DigestList) {
        ThrowIfCancelled();
        const std::size_t index = plan.entries.size();
        const std::int32_t jobs = plan.jobs;
        PlanEntry(plan, index, entry);
        if (plan.jobs > jobs) {
            bytesToHash += plan.entries[index].length; // a file listed twice is read once
        }
        if (index % kJobsPerHandOver == kJobsPerHandOver - 1) {
            FeedJobs(plan);
        }
    }
    plan.complete = true;
    FeedJobs(plan);
    const CheckProgress progress = Progress();
    SetProgress(progress.listNumber, progress.listCount, bytesToHash);
}

void clsCheckRun::PlanEntry(ListPlan& plan, std::size_t index, const clsDigestList::ItemPtr& entry) {
    PlannedEntry& planned = plan.entries.emplace_back();
    const std::string& base = plan.base;
    ListedFile file = ResolveListedFile(base, entry->Name());
    UnusualEntry unusual;
    // A line that reads more than one way is checked the first way unless only another way names a file.
    if (!file.length) {
        for (clsDigestListItem& other : m_DigestList.OtherReadings(static_cast<std::int32_t>(index + 1))) {
            if (ListedFile found = ResolveListedFile(base, other.Name()); found.length) {
                unusual.other = std::make_unique<clsDigestListItem>(std::move(other));
                file = std::move(found);
                break;
            }
        }
    }
    const clsDigestListItem& reading = unusual.other ? *unusual.other : *entry;
    if (file.path != base + reading.Name()) {
        unusual.path = std::move(file.path);
    }
    planned.length = file.length.value_or(-1);
    planned.unusual = unusual.other || !unusual.path.empty();
    // A file whose length reads as 0 may be one whose system does not tell it (procfs, some shares): it is
    // read, and the bytes read are its size.
    const bool sizeKnown = planned.length != 0;
    if (!file.length) {
        planned.outcome = Outcome::Missing;
    } else if (reading.Bytes() >= 0 && sizeKnown && *file.length != reading.Bytes()) {
        planned.outcome = Outcome::SizeMismatch;
    } else if (reading.DigetsType() >= DigestKind::CRC16 && reading.DigetsType() <= DigestKind::SHA512) {
        planned.outcome = Outcome::DigestPending;
        planned.job = SharedJob(plan, index, reading);
        if (planned.job < 0) {
            planned.job = plan.jobs++;
        }
    } else {
        planned.outcome = Outcome::Undetermined;
    }
    if (planned.unusual) {
        plan.unusual.emplace(index, std::move(unusual));
    }
}

// A name listed before (a tool's list naming one file on two lines) is read once: the entry shares the job of
// the first entry of that name when both are the same file read for the same kind.
std::int32_t clsCheckRun::SharedJob(ListPlan& plan, std::size_t index, const clsDigestListItem& reading) {
    if (plan.entries[index].unusual) {
        return -1;
    }
    const std::int32_t first = m_DigestList.FirstPositionOf(reading.Name());
    if (first < 1 || static_cast<std::size_t>(first) > index) {
        return -1;
    }
    const PlannedEntry& earlier = plan.entries[static_cast<std::size_t>(first) - 1];
    if (earlier.outcome != Outcome::DigestPending || earlier.unusual ||
        ReadingOf(plan, static_cast<std::size_t>(first) - 1).DigetsType() != reading.DigetsType()) {
        return -1;
    }
    plan.shared.insert(earlier.job);
    return earlier.job;
}

const clsDigestListItem& clsCheckRun::ReadingOf(const ListPlan& plan, std::size_t index) const {
    if (plan.entries[index].unusual) {
        const UnusualEntry& unusual = plan.unusual.at(index);
        if (unusual.other) {
            return *unusual.other;
        }
    }
    return **(m_DigestList.begin() + static_cast<std::ptrdiff_t>(index));
}

void clsCheckRun::FeedJobs(ListPlan& plan) {
    std::vector<DigestJob> jobs;
    while (plan.fed < plan.entries.size() && plan.jobsAdded < plan.jobsTaken + kJobsAhead) {
        const std::size_t index = plan.fed++;
        const PlannedEntry& planned = plan.entries[index];
        if (planned.job != plan.jobsAdded) {
            continue; // no job, or one an earlier entry's file gave already
        }
        const clsDigestListItem& reading = ReadingOf(plan, index);
        const UnusualEntry* unusual = planned.unusual ? &plan.unusual.at(index) : nullptr;
        jobs.push_back({unusual != nullptr && !unusual->path.empty() ? unusual->path : plan.base + reading.Name(),
                        reading.DigetsType(), planned.length});
        ++plan.jobsAdded;
    }
    if (!jobs.empty()) {
        Pool().Add(std::move(jobs));
    }
    if (plan.complete && plan.fed == plan.entries.size()) {
        Pool().NoMoreJobs();
    }
}

DigestResult clsCheckRun::TakeResult(ListPlan& plan, std::int32_t job) {
    if (job < plan.jobsTaken) {
        return plan.kept.at(job);
    }
    // The lead of jobs over results is topped up by half at a time: one hand-over for many results.
    if (plan.jobsAdded <= job || plan.jobsAdded - plan.jobsTaken < kJobsAhead / 2) {
        FeedJobs(plan);
    }
    try {
        DigestResult result = Pool().Take(static_cast<std::size_t>(job));
        plan.jobsTaken = job + 1;
        if (plan.shared.count(job) > 0) {
            plan.kept.emplace(job, result);
        }
        return result;
    } catch (const DigestCancelled&) {
        throw CheckCancelled{};
    }
}

void clsCheckRun::WriteEntry(ListPlan& plan, std::size_t index, std::int64_t (&counts)[5]) {
    PlannedEntry& planned = plan.entries[index];
    const clsDigestListItem& reading = ReadingOf(plan, index);
    const std::string name = ShownName(reading.Name());
    std::string failure;
    if (planned.outcome == Outcome::DigestPending) {
        SetCurrentFile(name);
        const DigestResult result = TakeResult(plan, planned.job);
        const auto bytes = static_cast<std::int64_t>(result.bytes);
        if (result.Failed()) {
            failure = result.failure;
        } else if (planned.length > 0 && bytes != planned.length) {
            // Read to its end, the file was not the one looked up: no digest can speak for it.
            failure = "読み取りエラー: " + ReadErrorReason(ReadError::SizeChanged);
        } else if (planned.length == 0 && reading.Bytes() >= 0 && bytes != reading.Bytes()) {
            planned.outcome = Outcome::SizeMismatch;
        } else {
            const std::string listed = reading.Digest();
            const bool upper = reading.DigetsType() == DigestKind::CRC16 || reading.DigetsType() == DigestKind::CRC32;
            const bool equal = upper ? AsciiUpper(result.digest) == AsciiUpper(listed)
                                     : AsciiLower(result.digest) == AsciiLower(listed);
            planned.outcome = equal ? Outcome::Correct : Outcome::DigestMismatch;
        }
        if (!failure.empty()) {
            planned.outcome = Outcome::Undetermined;
        }
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
            m_Host.AddLog(failure.empty() ? "？ " + name : "？ " + name + " [" + failure + "]");
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
        // A share may hold a million names: a stop must not wait for all of them.
        std::vector<FolderEntry> entries = ListFolder(folder, [this] { return m_Cancelled.load(); });
        if (m_Cancelled) {
            m_FolderIndex.erase(slot);
            throw CheckCancelled{};
        }
        for (FolderEntry& entry : entries) {
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

clsCheckRun::ListedFile clsCheckRun::ResolveInFolder(const std::string& folder, const std::string& name,
                                                     std::string_view listedFolder) {
    std::string path = folder + name;
    if (auto length = ExistingFileLength(path)) {
        return {std::move(path), length};
    }
    // Lists are written on systems that ignore letter case in file names: accept the one file whose
    // name differs only in case, unless the list names that file itself (xt_CONNMARK.h and xt_connmark.h
    // are two files here). With none, or several, the name stays as listed (and is missing).
    const std::optional<std::string> match = UniqueMatch(folder, name, true);
    if (match && !m_DigestList.HasExactName(std::string(listedFolder) + *match)) {
        std::string found = folder + *match;
        auto length = ExistingFileLength(found);
        return {std::move(found), length};
    }
    return {std::move(path), std::nullopt};
}

clsCheckRun::ListedFile clsCheckRun::ResolveListedFile(const std::string& base, const std::string& name) {
    if (name.find_first_of("/\\") == std::string::npos) {
        return ResolveInFolder(base, name, {});
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
    return ResolveInFolder(folder, std::string(parts.back()),
                           std::string_view(name).substr(0, name.size() - parts.back().size()));
}
