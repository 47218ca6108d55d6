// The verification run: checks every file named by the dropped checksum lists and writes the log lines.
#pragma once

#include "digest/DigestJob.h"
#include "lists/clsDigestList.h"
#include "util/FileSystem.h"
#include "util/NumberFormat.h"
#include "verify/CheckProgress.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class ICheckHost;
class clsDigestPool;
class clsStringList;

/// The entry outcomes of a run, added up over all list files.
struct CheckTotals {
    std::int64_t correct = 0;
    std::int64_t sizeMismatch = 0;
    std::int64_t digestMismatch = 0;
    std::int64_t missing = 0;
    std::int64_t undetermined = 0;
    std::int64_t listsWithoutEntries = 0; // list files that gave nothing to check

    /// Every listed file correct (whatever the lists without entries).
    bool AllCorrect() const { return sizeMismatch == 0 && digestMismatch == 0 && missing == 0 && undetermined == 0; }
};

class clsCheckRun {
public:
    explicit clsCheckRun(ICheckHost& host, NumberFormatter formatNumber = FormatGroupedNumber);
    ~clsCheckRun();

    /// Checks every list file of `dropFiles` in order against `checkFolder` (empty: the folder of each
    /// list file): busy drop box, cleared log, one section per list file with entries, the closing
    /// lines, idle drop box. An error stops the run where it happens and leaves the drop box busy.
    void CheckDropFiles(const clsStringList& dropFiles, const std::string& checkFolder);

    /// Checks one list file and writes its section; writes nothing for a list without entries.
    void CheckDigestFile(const std::string& listPath, const std::string& checkFolder);

    /// The list loaded last; it keeps the entries of the last list file after a run.
    clsDigestList& DigestList() { return m_DigestList; }

    /// Outcomes since the start of the last CheckDropFiles.
    const CheckTotals& Totals() const { return m_Totals; }

    /// Asks the run to stop, from any thread: at the next listed file it writes the summary of the list
    /// in progress for the entries done, and closes with "チェックを中止しました。". A cancel asked for before
    /// CheckDropFiles begins holds for that run: a stop pressed right after a drop is never lost.
    void Cancel();
    /// Forgets a cancel asked for earlier; the thread that starts a run calls it before the run starts (the
    /// run clears it itself when it ends).
    void ResetCancel();
    /// True when the last CheckDropFiles was stopped by Cancel.
    bool Stopped() const { return m_Stopped; }
    /// How far the run has come; any thread.
    CheckProgress Progress() const;
    /// Threads that hash the listed files at once; 0 (the default): one per processor.
    void setWorkers(unsigned workers);
    /// Files read at once from each disc; 0 (the default): chosen by how the disc seeks.
    void setReaders(unsigned readers);

private:
    /// Where a listed file is, and its length when it is there.
    struct ListedFile {
        std::string path;
        std::optional<std::int64_t> length;
    };
    enum class Outcome : std::uint8_t { Correct, SizeMismatch, DigestMismatch, Missing, Undetermined, DigestPending };
    /// One entry as it will be checked: what is known of the outcome before hashing, and where its digest is in
    /// the pool's batch. Kept small: a list may hold millions of entries.
    struct PlannedEntry {
        std::int64_t length = -1; // -1: no such file
        std::int32_t job = -1;
        Outcome outcome = Outcome::Missing;
        bool unusual = false; // checked by another reading, or at another path: see m_Unusual
    };
    /// What few entries need besides: the reading that names a file when it is not the entry's own, and the
    /// file's path when it is not the base folder and the name as read.
    struct UnusualEntry {
        std::unique_ptr<clsDigestListItem> other;
        std::string path;
    };
    /// The plan of the list being checked, and how far its jobs have gone to the pool.
    struct ListPlan {
        std::string base;
        std::vector<PlannedEntry> entries;
        std::unordered_map<std::size_t, UnusualEntry> unusual;
        std::size_t fed = 0;                                 // entries looked at for jobs to add
        std::int32_t jobs = 0;                               // jobs numbered so far
        std::int32_t jobsAdded = 0;                          // jobs handed to the pool
        std::int32_t jobsTaken = 0;                          // results taken from it
        bool complete = false;                               // every entry planned
        std::unordered_set<std::int32_t> shared;             // jobs that later entries share
        std::unordered_map<std::int32_t, DigestResult> kept; // their results, once taken
    };

    void PlanEntries(ListPlan& plan);
    void PlanEntry(ListPlan& plan, std::size_t index, const clsDigestList::ItemPtr& entry);
    /// The job of an earlier entry that names the same file for the same digest, or -1.
    std::int32_t SharedJob(ListPlan& plan, std::size_t index, const clsDigestListItem& reading);
    /// Hands the pool the jobs of the planned entries, as far as a bounded lead over the results taken.
    void FeedJobs(ListPlan& plan);
    DigestResult TakeResult(ListPlan& plan, std::int32_t job);
    void WriteEntry(ListPlan& plan, std::size_t index, std::int64_t (&counts)[5]);
    void WriteSummary(const std::int64_t (&counts)[5]);
    const clsDigestListItem& ReadingOf(const ListPlan& plan, std::size_t index) const;
    /// The digest workers of this run, made when first needed.
    clsDigestPool& Pool();
    /// Cancels, joins and drops the workers: no thread or open file outlives a run.
    void ReleasePool();
    /// The run's yield before each listed file, where a cancel takes effect.
    void Yield();
    void ThrowIfCancelled() const;
    void SetProgress(std::int32_t listNumber, std::int32_t listCount, std::int64_t listBytes);
    void SetCurrentFile(const std::string& name);

    /// `name` as listed, looked up from `base`; names of the tools' formats may hold folders.
    ListedFile ResolveListedFile(const std::string& base, const std::string& name);
    /// A name without folders looked up in `folder` (which ends in a separator or is empty); `listedFolder`
    /// is the folder part of the name as listed, which a file found ignoring case must not be listed under.
    ListedFile ResolveInFolder(const std::string& folder, const std::string& name, std::string_view listedFolder);
    /// The entries of `folder` whose names equal `name` ignoring case; nullptr when none.
    const std::vector<FolderEntry>* FolderMatches(const std::string& folder, std::string_view name);
    /// The name of the one file (or folder) of `folder` that differs from `name` at most in letter case.
    std::optional<std::string> UniqueMatch(const std::string& folder, std::string_view name, bool wantFile);

    ICheckHost& m_Host;
    std::atomic<bool> m_Cancelled{false};
    bool m_Stopped = false;
    mutable std::mutex m_ProgressMutex;
    CheckProgress m_Progress;
    unsigned m_Workers = 0;
    unsigned m_Readers = 0;
    std::unique_ptr<clsDigestPool> m_Pool;
    NumberFormatter m_FormatNumber;
    clsDigestList m_DigestList;
    CheckTotals m_Totals;
    // Case-folded name -> entries on disk, per folder, filled only when a listed name is not found as
    // written; lists made on Windows do not care about letter case.
    std::unordered_map<std::string, std::unordered_map<std::string, std::vector<FolderEntry>>> m_FolderIndex;
};
