// Runs ferrule-check as a user would, each platform in its own way.
#pragma once

#include <initializer_list>
#include <string>

/// Runs ferrule-check with `args` in `folder` and returns its exit status; its standard output and
/// standard error go to the files ".out" and ".err" in `folder`.
int RunChecker(const std::string& folder, std::initializer_list<std::string> args);
