#include "cli/ConsoleHost.h"

void ConsoleHost::AddLog(const std::string& line) {
    // Flushed per line, so a reader of a long run sees each result as soon as it is known.
    std::fwrite(line.data(), 1, line.size(), m_Out);
    std::fputc('\n', m_Out);
    std::fflush(m_Out);
}
