// Which platform the tests run on, for the few expectations where Windows legitimately differs.
#pragma once

#include "util/PathHelpers.h"

/// True in the Windows builds, also when they run under Wine.
inline bool OnWindows() {
    return NativePathRules() == PathRules::Windows;
}
