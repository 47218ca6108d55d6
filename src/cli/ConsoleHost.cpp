#include "cli/ConsoleHost.h"

#include "cli/clsRunWatcher.h"
#include "util/AppError.h"
#include "util/Console.h"

#include <cerrno>
#include <system_error>

void ConsoleHost::AddLog(const std::string& line) {
    // Flushed per line, so a reader of a long run sees each result as soon as it is known.
    int code = 0;
    const auto write = [&] {
        if (!WriteLine(m_Out, line)) {
            code = errno != 0 ? errno : EIO;
        }
    };
    if (m_Watcher != nullptr) {
        m_Watcher->WithLineCleared(write);
    } else {
        write();
    }
    if (code != 0) {
        RaiseError(code, "cannot write the results to standard output: " + std::system_category().message(code));
    }
}

void ConsoleHost::DoEvents() {
    if (m_Watcher != nullptr) {
        m_Watcher->CancelIfInterrupted();
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
