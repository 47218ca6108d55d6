// The reason a file could not be digested, as its result line shows it.
#pragma once

#include <exception>
#include <string>

/// "読み取りエラー: " and the reason for the platform's error number `code`.
std::string ReadFailure(int code);

/// The description of an error that escaped hashing a file: the program's own error, a lack of memory, or
/// anything else.
std::string FailureOf(const std::exception_ptr& error);
