#include "cli/ConsoleHost.h"

#include "util/Console.h"

void ConsoleHost::AddLog(const std::string& line) {
    // Flushed per line, so a reader of a long run sees each result as soon as it is known.
    WriteLine(m_Out, line);
}
