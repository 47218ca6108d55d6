// ferrule-check: checks files against checksum lists from the command line, printing the log lines the
// desktop application would show.
#include "FerruleVersion.h"
#include "cli/ConsoleHost.h"
#include "cli/clsRunWatcher.h"
#include "util/AppError.h"
#include "util/Console.h"
#include "util/clsStringList.h"
#include "verify/clsCheckRun.h"

#include <cstdio>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int kExitAllCorrect = 0;
constexpr int kExitProblemsFound = 1;
constexpr int kExitError = 2;
constexpr int kExitInterrupted = 130; // as a shell reports a program ended by SIGINT
constexpr unsigned kMostWorkers = 64; // the pool starts no more, which a 32-bit process can always do
constexpr unsigned kMostReaders = 64;

constexpr const char* kUsage = "Usage: ferrule-check [--folder DIR] [--jobs N] [--readers N] [--no-progress] LIST...\n"
                               "Check the files named in checksum lists (CRC-16, CRC-32, MD5, SHA-1 or SHA-2).\n"
                               "\n"
                               "  -f, --folder DIR  look the listed files up in DIR (default: beside each list)\n"
                               "  -j, --jobs N      hash N files at once (default: one per processor)\n"
                               "      --readers N   read N files at once from each disc (default: one on a disc "
                               "that seeks, more on flash)\n"
                               "      --no-progress no progress line on standard error (shown only on a terminal)\n"
                               "  -h, --help        show this help and exit\n"
                               "  -V, --version     show the version and exit\n"
                               "\n"
                               "Every result line is written to standard output as soon as it is known.\n"
                               "Exit status: 0 every listed file is correct, 1 some file is missing or differs,\n"
                               "or a list has nothing to check, 130 stopped by Ctrl+C, 2 the check stopped on an\n"
                               "error (the reason goes to standard error).\n";

int UsageError(const std::string& message) {
    std::fprintf(stderr, "ferrule-check: %s\nTry 'ferrule-check --help' for more information.\n", message.c_str());
    return kExitError;
}

int Error(const std::string& message) {
    std::fflush(stdout);
    WriteLine(stderr, "ferrule-check: " + message);
    return kExitError;
}

// The value of option `name` at args[i]: after "=" in the same argument, else the next argument (taken).
std::string OptionValue(const std::vector<std::string>& args, std::size_t& i, std::string_view name) {
    const std::string_view arg = args[i];
    if (arg.size() > name.size() && arg.starts_with(name) && arg[name.size()] == '=') {
        return std::string(arg.substr(name.size() + 1));
    }
    return i + 1 < args.size() ? args[++i] : std::string();
}

// A count from 1 to `most` in decimal digits, at most four of them; nothing for anything else.
std::optional<unsigned> ParseCount(const std::string& value, unsigned most) {
    if (value.empty() || value.size() > 4 || value.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    const unsigned count = static_cast<unsigned>(std::stoul(value));
    return count >= 1 && count <= most ? std::optional(count) : std::nullopt;
}

int Run(int argc, char** argv) {
    std::string folder;
    bool progress = true;
    unsigned jobs = 0;    // one per processor
    unsigned readers = 0; // by how each disc seeks
    clsStringList lists;
    bool optionsEnded = false;
    const std::vector<std::string> args = CommandLineArguments(argc, argv);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            lists.Add(std::string(arg), -1);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "-h" || arg == "--help") {
            std::fputs(kUsage, stdout);
            return kExitAllCorrect;
        } else if (arg == "-V" || arg == "--version") {
            std::printf("ferrule-check %s\n", FERRULE_VERSION_TEXT);
            return kExitAllCorrect;
        } else if (arg == "-f" || arg == "--folder") {
            if (i + 1 >= args.size()) {
                return UsageError("option '" + std::string(arg) + "' needs a folder");
            }
            folder = args[++i];
        } else if (arg == "-j" || arg == "--jobs" || arg.starts_with("--jobs=")) {
            const std::optional<unsigned> count = ParseCount(OptionValue(args, i, "--jobs"), 9999);
            if (!count) {
                return UsageError("option '--jobs' needs a number of files from 1 to 9999");
            }
            jobs = *count;
        } else if (arg == "--readers" || arg.starts_with("--readers=")) {
            const std::optional<unsigned> count = ParseCount(OptionValue(args, i, "--readers"), kMostReaders);
            if (!count) {
                return UsageError("option '--readers' needs a number of files from 1 to " +
                                  std::to_string(kMostReaders));
            }
            readers = *count;
        } else if (arg == "--no-progress") {
            progress = false;
        } else if (arg.starts_with("--folder=")) {
            folder = std::string(arg.substr(9));
        } else {
            return UsageError("unknown option '" + std::string(arg) + "'");
        }
    }
    if (lists.Count() == 0) {
        return UsageError("no checksum list given");
    }

    // Scripts written for bigger machines keep working, told once what they get.
    if (jobs > kMostWorkers) {
        WriteLine(stderr, "ferrule-check: --jobs " + std::to_string(jobs) + " is more than " +
                              std::to_string(kMostWorkers) + "; " + std::to_string(kMostWorkers) +
                              " files are hashed at once");
        jobs = kMostWorkers;
    }

    ConsoleHost host(stdout, stderr);
    clsCheckRun run(host);
    run.setWorkers(jobs);
    run.setReaders(readers);
    {
        // The progress line only where a person reads it: on a terminal, never into a pipe or file.
        clsRunWatcher watcher(run, progress && IsTerminal(stderr) ? stderr : nullptr);
        host.setWatcher(&watcher);
        run.CheckDropFiles(lists, folder);
        host.setWatcher(nullptr);
    }
    if (run.Stopped()) {
        return kExitInterrupted;
    }
    // Nothing to check is no success: a list of a format we do not read would otherwise pass unnoticed.
    const CheckTotals& totals = run.Totals();
    return totals.AllCorrect() && totals.listsWithoutEntries == 0 ? kExitAllCorrect : kExitProblemsFound;
}

} // namespace

int main(int argc, char** argv) {
    // Whatever stops the check ends the program with its reason, never with an uncaught exception.
    try {
        return Run(argc, argv);
    } catch (const AppError& error) {
        return Error(error.Description());
    } catch (const std::bad_alloc&) {
        return Error("out of memory");
    } catch (const std::exception& error) {
        return Error(error.what());
    } catch (...) {
        return Error("unexpected error");
    }
}
