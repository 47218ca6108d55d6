// The command line and the terminal, in UTF-8 on every platform.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

/// The program's arguments after its name, as UTF-8 (on Windows read from the wide command line, since
/// `argv` there is in the ANSI code page and loses what it cannot hold).
std::vector<std::string> CommandLineArguments(int argc, char** argv);

/// Writes `text` followed by a line end to `stream` and flushes it: as characters to a Windows console,
/// as UTF-8 bytes anywhere else. Interrupted writes are resumed; false when the stream cannot take it
/// (a full disk, a closed pipe whose SIGPIPE is ignored, a closed descriptor), with errno saying why.
bool WriteLine(std::FILE* stream, std::string_view text);

/// Writes `text` to `stream` as WriteLine does, without a line end.
bool WriteText(std::FILE* stream, std::string_view text);

/// True when `stream` is a terminal (a console on Windows).
bool IsTerminal(std::FILE* stream);

/// From now on Ctrl+C (SIGINT; the console's Ctrl+C and Ctrl+Break on Windows) no longer ends the
/// process: it only makes InterruptRequested() true, for the program to stop in good order. A second
/// one ends the process as if none had been caught.
void CatchInterrupts();
bool InterruptRequested();
