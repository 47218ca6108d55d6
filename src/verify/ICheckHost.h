// What the verification run needs from the program that hosts it (a window or a terminal).
#pragma once

#include <string>

class ICheckHost {
public:
    virtual ~ICheckHost() = default;

    /// Appends one line to the result log.
    virtual void AddLog(const std::string& line) = 0;
    /// Empties the result log.
    virtual void ClearLog() = 0;
    /// Lets the host handle its pending events once; the run calls it before each listed file.
    virtual void DoEvents() = 0;
    /// Busy: the drop box shows its busy picture and takes no drops; idle: the reverse.
    virtual void SetDropBoxBusy(bool busy) = 0;
    /// Selects the last line of the log, once the closing lines are written.
    virtual void SelectLastLogLine() = 0;
    /// The list file gave no entry, so nothing of it was checked and nothing was written for it. The log
    /// shows nothing of this; a host may tell its user in its own way.
    virtual void ListHasNoEntries(const std::string& listPath) { (void)listPath; }
};
