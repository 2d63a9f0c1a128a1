#include "saver/rings/logo_file.h"

#include <cstring>

#include "common/owners.h"
#include "saver/config/settings.h"
#include "saver/rings/logo_bitmap.h"

namespace {

// The built-in logo is 256 × 256; a resource far beyond that is not ours.
constexpr long long kMaxResourcePixels = 4096LL * 4096;

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

// The pixels of a loaded bitmap as R, G, B rows from the top.
bool ImageFromBitmap(HBITMAP bitmap, LogoImage* image)
{
    BITMAP info;
    if (!GetObjectA(bitmap, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0 ||
        static_cast<long long>(info.bmWidth) * info.bmHeight > kMaxResourcePixels)
        return false;
    BITMAPINFO request;
    ZeroMemory(&request, sizeof request);
    request.bmiHeader.biSize = sizeof request.bmiHeader;
    request.bmiHeader.biWidth = info.bmWidth;
    request.bmiHeader.biHeight = -info.bmHeight; // top-down
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    request.bmiHeader.biCompression = BI_RGB;
    std::size_t count = static_cast<std::size_t>(info.bmWidth) * info.bmHeight;
    std::vector<BYTE> bgrx(count * 4);
    WindowDc screen(nullptr);
    int rows = GetDIBits(screen.Get(), bitmap, 0, static_cast<UINT>(info.bmHeight), bgrx.data(),
                         &request, DIB_RGB_COLORS);
    if (rows != info.bmHeight)
        return false;
    image->width = info.bmWidth;
    image->height = info.bmHeight;
    image->rgb.resize(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        image->rgb[i * 3] = bgrx[i * 4 + 2];
        image->rgb[i * 3 + 1] = bgrx[i * 4 + 1];
        image->rgb[i * 3 + 2] = bgrx[i * 4];
    }
    return true;
}

bool ImageFromHandle(HANDLE loaded, LogoImage* image)
{
    GdiObject bitmap(static_cast<HGDIOBJ>(loaded));
    return bitmap && ImageFromBitmap(static_cast<HBITMAP>(bitmap.Get()), image);
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
    return ImageFromHandle(LoadImageA(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION),
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
