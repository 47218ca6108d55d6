#include "cli/ConsoleHost.h"

#include "util/Console.h"

void ConsoleHost::AddLog(const std::string& line) {
    // Flushed per line, so a reader of a long run sees each result as soon as it is known.
    WriteLine(m_Out, line);
}

void ConsoleHost::ListHasNoEntries(const std::string& listPath) {
    std::fflush(m_Out);
    WriteLine(m_Err, "ferrule-check: nothing to check in " + listPath + " (no line of it is a checksum entry)");
}
