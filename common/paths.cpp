#include "paths.h"

#include <cstring>

#include "text.h"

bool JoinPath(char* out, std::size_t size, const char* directory, const char* name)
{
    if (size == 0)
        return false;
    std::size_t dirLength = std::strlen(directory);
    bool needsSeparator = dirLength > 0 && directory[dirLength - 1] != '\\';
    std::size_t total = dirLength + (needsSeparator ? 1 : 0) + std::strlen(name);
    if (dirLength == 0 || total >= size) {
        out[0] = '\0';
        return false;
    }
    std::memcpy(out, directory, dirLength);
    if (needsSeparator)
        out[dirLength++] = '\\';
    std::strcpy(out + dirLength, name);
    return true;
}

bool FileNamePart(char* out, std::size_t size, const char* path)
{
    const char* slash = std::strrchr(path, '\\');
    return CopyText(out, size, slash ? slash + 1 : path);
}

bool DirectoryPart(char* out, std::size_t size, const char* path)
{
    if (size == 0)
        return false;
    const char* slash = std::strrchr(path, '\\');
    std::size_t length = slash ? static_cast<std::size_t>(slash - path) : 0;
    bool fits = length < size;
    if (!fits)
        length = size - 1;
    std::memcpy(out, path, length);
    out[length] = '\0';
    return fits;
}
