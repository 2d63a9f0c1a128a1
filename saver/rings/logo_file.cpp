#include "saver/rings/logo_file.h"

#include <cstring>

#include "common/owners.h"
#include "saver/config/settings.h"
#include "saver/rings/logo_bitmap.h"
#include "saver/rings/logo_pack.h"

namespace {

// A bitmap file on disk as the decoder reads it.
class FileSource : public LogoSource {
public:
    FileSource(HANDLE file, std::uint64_t size) : file_(file), size_(size) {}
    std::uint64_t Size() const override { return size_; }
    bool Read(std::uint64_t offset, void* into, std::size_t count) override
    {
        LONG high = static_cast<LONG>(offset >> 32);
        if (SetFilePointer(file_, static_cast<LONG>(offset & 0xffffffffu), &high, FILE_BEGIN) ==
                INVALID_SET_FILE_POINTER &&
            GetLastError() != NO_ERROR)
            return false;
        DWORD got = 0;
        return ReadFile(file_, into, static_cast<DWORD>(count), &got, nullptr) && got == count;
    }

private:
    HANDLE file_;
    std::uint64_t size_;
};

// Opens only a regular file on disk: no directory, device, pipe or console.
bool OpenBitmapFile(const char* path, FileHandle* file, std::uint64_t* size)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    file->Reset(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!*file || GetFileType(file->Get()) != FILE_TYPE_DISK)
        return false;
    // GetFileSize, not GetFileSizeEx, which Windows 95 and NT 4 lack.
    DWORD high = 0;
    DWORD low = GetFileSize(file->Get(), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
        return false;
    *size = (static_cast<std::uint64_t>(high) << 32) | low;
    return true;
}

} // namespace

bool LoadLogoFile(const char* path, LogoImage* image)
{
    FileHandle file;
    std::uint64_t size = 0;
    if (!path || !path[0] || std::strlen(path) >= MAX_PATH || !OpenBitmapFile(path, &file, &size))
        return false;
    FileSource source(file.Get(), size);
    return ReadLogoBitmap(source, image);
}

bool LoadLogoResource(HINSTANCE module, const char* name, LogoImage* image)
{
    // A module's resource stays mapped while the module is loaded: nothing to free.
    HRSRC found = FindResourceA(module, name, RT_RCDATA);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    return data && UnpackLogo(static_cast<const std::uint8_t*>(data), SizeofResource(module, found),
                              image);
}

LogoTexture LoadLogoTexture(HINSTANCE module, const char* fileName)
{
    LogoImage image;
    if (!UsesBuiltInLogo(fileName) && LoadLogoFile(fileName, &image)) {
        LogoTexture texture = BuildLogoTexture(image);
        if (texture.size > 0)
            return texture;
    }
    image = LogoImage{};
    if (LoadLogoResource(module, kBuiltInLogo, &image))
        return BuildLogoTexture(image);
    return LogoTexture{};
}
