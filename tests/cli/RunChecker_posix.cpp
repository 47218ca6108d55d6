// ferrule-check through a POSIX shell.
#include "RunChecker.h"

#include <cstdlib>
#include <sstream>
#include <sys/wait.h>

namespace {

std::string Quote(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

} // namespace

int RunChecker(const std::string& folder, std::initializer_list<std::string> args) {
    // LC_ALL=C pins the digit grouping of the summary.
    std::ostringstream command;
    command << "cd " << Quote(folder) << " && LC_ALL=C " << Quote(FERRULE_CHECK_PATH);
    for (const auto& arg : args) {
        command << ' ' << Quote(arg);
    }
    command << " >.out 2>.err";
    const int raw = std::system(command.str().c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}
