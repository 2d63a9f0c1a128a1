// This process's environment as "NAME=value" entries, changed for a child,
// and the block CreateProcessA takes.
#pragma once

#include <string>
#include <vector>

namespace support {

// This process's environment without the variables whose entries start with
// prefix, compared as the system compares names (case-insensitively):
// "ORBELLE_TRACE=" drops that one variable, "FAKE_COMDLG_" a whole family.
std::vector<std::string> EnvironmentWithout(const std::string& prefix);
// This process's environment with some variables ("NAME=value") added or
// replaced.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& entries);
// The entries one after another, each ended by a zero, and a zero after the
// last: an environment block for CreateProcessA.
std::vector<char> EnvironmentBlock(const std::vector<std::string>& entries);

} // namespace support
