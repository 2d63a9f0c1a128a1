// The state of a Wine prefix as a user's machine: every registry key and
// value under the two roots an installation writes, and every file of the
// Windows directory and the user's profile. Two states compare as the lines
// that were added, removed or changed.
#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace e2e {

// "key HKLM\Software\X" -> "", "value HKLM\Software\X\<name>" -> type and data,
// "file C:\windows\x.dll" -> size and a checksum of the bytes.
using MachineState = std::map<std::string, std::string>;

MachineState ReadMachineState();

// "+ line", "- line" and "~ line" for what differs, in order.
std::vector<std::string> Differences(const MachineState& before, const MachineState& after);

// A difference that an allowance covers: the entry's name starts with one of
// the prefixes (letter case ignored) and, when exact is set, ends there too.
struct Allowance {
    const char* prefix;
    bool exact;
    const char* why;
};
bool Allowed(const std::string& difference, const std::vector<Allowance>& allowances);

} // namespace e2e
