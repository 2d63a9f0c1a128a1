#include "machine_state.h"

#include <cstdio>
#include <cstring>

namespace e2e {
namespace {

constexpr DWORD kNameSize = 16384; // the registry's own limit for names

std::string Hex(const BYTE* data, DWORD size)
{
    std::string text;
    char byte[4];
    for (DWORD i = 0; i < size; ++i) {
        std::snprintf(byte, sizeof byte, "%02x", data[i]);
        text += byte;
    }
    return text;
}

void ReadValues(HKEY key, const std::string& path, MachineState* state)
{
    std::vector<char> name(kNameSize);
    std::vector<BYTE> data(1 << 16);
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = kNameSize, type = 0, dataSize = static_cast<DWORD>(data.size());
        LONG result = RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &type,
                                    data.data(), &dataSize);
        if (result == ERROR_NO_MORE_ITEMS)
            return;
        std::string entry = "value " + path + "\\<" + std::string(name.data(), nameLength) + ">";
        if (result == ERROR_MORE_DATA)
            (*state)[entry] = "type " + std::to_string(type) + ", too long to compare";
        else if (result == ERROR_SUCCESS)
            (*state)[entry] = "type " + std::to_string(type) + ": " + Hex(data.data(), dataSize);
        else
            return;
    }
}

// Read in the 64-bit view: on 64-bit Windows it shows a 32-bit program's
// keys where they lie, under Wow6432Node, beside the 64-bit ones.
void ReadKey(HKEY parent, const std::string& subkey, const std::string& path, MachineState* state,
             int depth)
{
    HKEY key;
    if (RegOpenKeyExA(parent, subkey.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return;
    (*state)["key " + path] = "";
    ReadValues(key, path, state);
    std::vector<char> name(kNameSize);
    for (DWORD index = 0; depth < 64; ++index) {
        DWORD nameLength = kNameSize;
        if (RegEnumKeyExA(key, index, name.data(), &nameLength, nullptr, nullptr, nullptr,
                          nullptr) != ERROR_SUCCESS)
            break;
        std::string child(name.data(), nameLength);
        ReadKey(key, child, path + "\\" + child, state, depth + 1);
    }
    RegCloseKey(key);
}

// A cheap checksum of a file's bytes (FNV-1a), so that a rewritten file of
// the same size still shows as changed.
std::string FileSummary(const std::string& path, const WIN32_FIND_DATAA& found)
{
    unsigned long long size =
        (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    std::string summary = std::to_string(size) + " bytes";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return summary + ", unreadable";
    unsigned long long hash = 1469598103934665603ull;
    std::vector<BYTE> buffer(1 << 16);
    DWORD read = 0;
    while (ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) && read) {
        for (DWORD i = 0; i < read; ++i)
            hash = (hash ^ buffer[i]) * 1099511628211ull;
    }
    CloseHandle(file);
    char text[32];
    std::snprintf(text, sizeof text, ", %016llx", hash);
    return summary + text;
}

void ReadTree(const std::string& directory, MachineState* state, int depth)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        std::string path = directory + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            (*state)["folder " + path] = "";
            if (depth < 32 && !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                ReadTree(path, state, depth + 1);
        } else {
            (*state)["file " + path] = FileSummary(path, found);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

std::string ProfileDirectory()
{
    char profile[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("USERPROFILE", profile, sizeof profile);
    return length && length < sizeof profile ? std::string(profile, length) : std::string();
}

// The files left to the next start of Windows: a deletion that the removal
// could not do at once stays here (wininit.ini, the Windows 95 family's
// list, lies in the Windows directory, which is read whole).
void ReadPendingDeletions(MachineState* state)
{
    const char* key = "System\\CurrentControlSet\\Control\\Session Manager";
    std::vector<BYTE> data(1 << 16);
    DWORD size = static_cast<DWORD>(data.size()), type = 0;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, key, "PendingFileRenameOperations", RRF_RT_ANY, &type,
                     data.data(), &size) == ERROR_SUCCESS)
        (*state)["value HKLM\\" + std::string(key) + "\\<PendingFileRenameOperations>"] =
            "type " + std::to_string(type) + ": " + Hex(data.data(), size);
}

} // namespace

MachineState ReadMachineState()
{
    MachineState state;
    ReadKey(HKEY_LOCAL_MACHINE, "Software", "HKLM\\Software", &state, 0);
    ReadKey(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services", "HKLM\\System\\CurrentControlSet\\Services", &state, 0);
    ReadKey(HKEY_CURRENT_USER, "", "HKCU", &state, 0);
    ReadPendingDeletions(&state);
    char windows[MAX_PATH];
    UINT length = GetWindowsDirectoryA(windows, sizeof windows);
    if (length && length < sizeof windows)
        ReadTree(std::string(windows, length), &state, 0);
    std::string profile = ProfileDirectory();
    if (!profile.empty())
        ReadTree(profile, &state, 0);
    return state;
}

std::vector<std::string> Differences(const MachineState& before, const MachineState& after)
{
    std::vector<std::string> lines;
    for (const auto& [name, value] : before) {
        auto now = after.find(name);
        if (now == after.end())
            lines.push_back("- " + name);
        else if (now->second != value)
            lines.push_back("~ " + name);
    }
    for (const auto& [name, value] : after) {
        if (!before.count(name))
            lines.push_back("+ " + name + (value.empty() ? "" : " = " + value.substr(0, 120)));
    }
    return lines;
}

namespace {

// The entry as a process of the other kind names it: a 32-bit program's
// HKLM\Software and class keys lie under Wow6432Node on 64-bit Windows.
std::string WithoutWow64Node(std::string entry)
{
    const std::string node = "\\Wow6432Node";
    for (const char* parent : {"HKLM\\Software\\Classes", "HKLM\\Software"}) {
        std::string prefix = std::string(parent) + node;
        std::string::size_type at = entry.find(' ');
        if (at != std::string::npos && entry.size() >= at + 1 + prefix.size() &&
            _strnicmp(entry.c_str() + at + 1, prefix.c_str(), prefix.size()) == 0)
            return entry.erase(at + 1 + std::strlen(parent), node.size());
    }
    return entry;
}

bool AllowedEntry(const std::string& entry, const std::vector<Allowance>& allowances)
{
    for (const Allowance& allowance : allowances) {
        std::size_t length = std::strlen(allowance.prefix);
        if (entry.size() < length || _strnicmp(entry.c_str(), allowance.prefix, length) != 0)
            continue;
        if (!allowance.exact || entry.size() == length)
            return true;
    }
    return false;
}

} // namespace

bool Allowed(const std::string& difference, const std::vector<Allowance>& allowances)
{
    std::string entry = difference.substr(2); // past "+ ", "- " or "~ "
    std::string::size_type shown = entry.find(" = ");
    if (shown != std::string::npos)
        entry.erase(shown);
    return AllowedEntry(entry, allowances) || AllowedEntry(WithoutWow64Node(entry), allowances);
}

} // namespace e2e
