#include "cli/ConsoleHost.h"

#include "cli/clsRunWatcher.h"
#include "util/Console.h"

void ConsoleHost::AddLog(const std::string& line) {
    // Flushed per line, so a reader of a long run sees each result as soon as it is known.
    if (m_Watcher != nullptr) {
        m_Watcher->WithLineCleared([&] { WriteLine(m_Out, line); });
    } else {
        WriteLine(m_Out, line);
    }
}

void ConsoleHost::ListHasNoEntries(const std::string& listPath) {
    std::fflush(m_Out);
    if (m_Watcher != nullptr) {
        m_Watcher->WithLineCleared([&] {
            WriteLine(m_Err, "ferrule-check: nothing to check in " + listPath + " (no line of it is a checksum entry)");
        });
        return;
    }
    WriteLine(m_Err, "ferrule-check: nothing to check in " + listPath + " (no line of it is a checksum entry)");
}
