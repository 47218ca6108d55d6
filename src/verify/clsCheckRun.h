// The verification run: checks every file named by the dropped checksum lists and writes the log lines.
#pragma once

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

private:
    /// Where a listed file is, and its length when it is there.
    struct ListedFile {
        std::string path;
        std::optional<std::int64_t> length;
    };
    enum class Outcome { Correct, SizeMismatch, DigestMismatch, Missing, Undetermined, DigestPending };
    /// One entry as it will be checked: the reading that names a file, where that file is, and what is
    /// known of the outcome before hashing. Kept small: a list may hold millions of entries.
    struct PlannedEntry {
        clsDigestList::ItemPtr entry;
        std::unique_ptr<clsDigestListItem> other; // the other reading that names a file, if one had to
        std::string path;                         // the file, when not the base folder and the name as read
        std::int64_t length = -1;                 // -1: no such file
        std::int64_t job = -1;                    // its digest's place in the pool's batch
        Outcome outcome = Outcome::Missing;
        const clsDigestListItem& Reading() const { return other ? *other : *entry; }
    };
    PlannedEntry PlanEntry(const std::string& base, const clsDigestList::ItemPtr& entry, std::int32_t position);
    void WriteEntry(PlannedEntry& planned, std::int64_t (&counts)[5]);
    void WriteSummary(const std::int64_t (&counts)[5]);
    /// The digest workers, made when first needed.
    clsDigestPool& Pool();
    /// The run's yield before each listed file, where a cancel takes effect.
    void Yield();
    void SetProgress(std::int32_t listNumber, std::int32_t listCount, std::int64_t listBytes);
    void SetCurrentFile(const std::string& name);

    /// `name` as listed, looked up from `base`; names of the tools' formats may hold folders.
    ListedFile ResolveListedFile(const std::string& base, const std::string& name);
    /// A name without folders looked up in `folder` (which ends in a separator or is empty).
    ListedFile ResolveInFolder(const std::string& folder, const std::string& name);
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
    std::unique_ptr<clsDigestPool> m_Pool;
    NumberFormatter m_FormatNumber;
    clsDigestList m_DigestList;
    CheckTotals m_Totals;
    // Case-folded name -> entries on disk, per folder, filled only when a listed name is not found as
    // written; lists made on Windows do not care about letter case.
    std::unordered_map<std::string, std::unordered_map<std::string, std::vector<FolderEntry>>> m_FolderIndex;
};
