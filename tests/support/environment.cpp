#include "environment.h"

#include <windows.h>

#include <cstring>

namespace support {

namespace {

bool StartsWith(const char* entry, const std::string& prefix)
{
    return _strnicmp(entry, prefix.c_str(), prefix.size()) == 0;
}

// Every entry of this process's environment that drop does not take.
template <typename Drop> std::vector<std::string> EnvironmentExcept(Drop drop)
{
    std::vector<std::string> environment;
    char* block = GetEnvironmentStringsA();
    for (const char* p = block; *p; p += std::strlen(p) + 1)
        if (!drop(p))
            environment.push_back(p);
    FreeEnvironmentStringsA(block);
    return environment;
}

} // namespace

std::vector<std::string> EnvironmentWithout(const std::string& prefix)
{
    return EnvironmentExcept([&](const char* entry) { return StartsWith(entry, prefix); });
}

std::vector<std::string> EnvironmentWith(const std::vector<std::string>& entries)
{
    std::vector<std::string> environment = EnvironmentExcept([&](const char* entry) {
        for (const std::string& replacement : entries)
            if (StartsWith(entry, replacement.substr(0, replacement.find('=') + 1)))
                return true;
        return false;
    });
    environment.insert(environment.end(), entries.begin(), entries.end());
    return environment;
}

std::vector<char> EnvironmentBlock(const std::vector<std::string>& entries)
{
    std::vector<char> block;
    for (const std::string& entry : entries) {
        block.insert(block.end(), entry.begin(), entry.end());
        block.push_back('\0');
    }
    block.push_back('\0');
    return block;
}

} // namespace support
