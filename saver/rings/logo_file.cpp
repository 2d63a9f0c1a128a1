#include "saver/rings/logo_file.h"

#include <cstring>

#include "saver/config/settings.h"
#include "saver/rings/logo_pack.h"

namespace {

constexpr DWORD kFileHeaderSize = 14;
constexpr long long kMaxLogoFileSize = 128LL * 1024 * 1024;

// An open file handle, closed when it goes.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle()
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

struct BitmapShape {
    long long width, height; // height negative: rows top to bottom
    int bits;
    DWORD compression;
    DWORD dataOffset;
};

WORD Word(const BYTE* p)
{
    return static_cast<WORD>(p[0] | (p[1] << 8));
}

DWORD Dword(const BYTE* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<DWORD>(p[3]) << 24);
}

// Reads the file and info headers; BITMAPCOREHEADER and the later info
// headers are both bitmaps the platform loads.
bool ReadShape(const BYTE* head, DWORD got, BitmapShape* shape)
{
    if (got < kFileHeaderSize + 12 || head[0] != 'B' || head[1] != 'M')
        return false;
    shape->dataOffset = Dword(head + 10);
    const BYTE* info = head + kFileHeaderSize;
    DWORD infoSize = Dword(info);
    if (infoSize == 12) {
        shape->width = Word(info + 4);
        shape->height = Word(info + 6);
        if (Word(info + 8) != 1)
            return false;
        shape->bits = Word(info + 10);
        shape->compression = BI_RGB;
        return true;
    }
    if (infoSize < 40 || got < kFileHeaderSize + 40)
        return false;
    shape->width = static_cast<LONG>(Dword(info + 4));
    shape->height = static_cast<LONG>(Dword(info + 8));
    if (Word(info + 12) != 1)
        return false;
    shape->bits = Word(info + 14);
    shape->compression = Dword(info + 16);
    return true;
}

bool PlausibleShape(const BitmapShape& s, long long fileSize)
{
    long long rows = s.height < 0 ? -s.height : s.height;
    if (s.width <= 0 || rows <= 0 || s.width * rows > kMaxLogoPixels)
        return false;
    if (s.dataOffset < kFileHeaderSize + 12 || s.dataOffset >= fileSize)
        return false;
    switch (s.compression) {
    case BI_RGB:
    case BI_BITFIELDS: {
        if (s.bits != 1 && s.bits != 4 && s.bits != 8 && s.bits != 16 && s.bits != 24 &&
            s.bits != 32)
            return false;
        if (s.compression == BI_BITFIELDS && s.bits != 16 && s.bits != 32)
            return false;
        long long stride = ((s.width * s.bits + 31) / 32) * 4;
        // A header that promises more rows than the file holds is a lie.
        return s.dataOffset + stride * rows <= fileSize;
    }
    case BI_RLE8:
        return s.bits == 8 && s.height > 0;
    case BI_RLE4:
        return s.bits == 4 && s.height > 0;
    default: // JPEG, PNG and the rest: not bitmaps this saver draws
        return false;
    }
}

// Only a regular file on disk: no directory, device, pipe or console.
bool CheckBitmapFile(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE || GetFileType(file.Get()) != FILE_TYPE_DISK)
        return false;
    // GetFileSize, not GetFileSizeEx, which Windows 95 and NT 4 lack; a
    // file of 4 GiB or more has a high part and is refused as too large.
    DWORD high = 0;
    DWORD low = GetFileSize(file.Get(), &high);
    if ((low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || high != 0)
        return false;
    const long long size = low;
    if (size < kFileHeaderSize + 12 || size > kMaxLogoFileSize)
        return false;
    BYTE head[kFileHeaderSize + 124] = {};
    DWORD got = 0;
    if (!ReadFile(file.Get(), head, sizeof head, &got, nullptr))
        return false;
    BitmapShape shape{};
    return ReadShape(head, got, &shape) && PlausibleShape(shape, size);
}

// The pixels of a loaded bitmap as R, G, B rows from the top.
bool ImageFromBitmap(HBITMAP bitmap, LogoImage* image)
{
    BITMAP info;
    if (!GetObjectA(bitmap, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0 ||
        static_cast<long long>(info.bmWidth) * info.bmHeight > kMaxLogoPixels)
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
    HDC dc = GetDC(nullptr);
    int rows = GetDIBits(dc, bitmap, 0, static_cast<UINT>(info.bmHeight), bgrx.data(), &request,
                         DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
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
    if (!loaded)
        return false;
    HBITMAP bitmap = static_cast<HBITMAP>(loaded);
    bool ok = ImageFromBitmap(bitmap, image);
    DeleteObject(bitmap);
    return ok;
}

} // namespace

bool LoadLogoFile(const char* path, LogoImage* image)
{
    if (!path || !path[0] || std::strlen(path) >= MAX_PATH || !CheckBitmapFile(path))
        return false;
    return ImageFromHandle(LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0,
                                      LR_LOADFROMFILE | LR_CREATEDIBSECTION),
                           image);
}

bool LoadLogoResource(HINSTANCE module, const char* name, LogoImage* image)
{
    // A module's resource stays mapped while the module is loaded: nothing to free.
    HRSRC found = FindResourceA(module, name, MAKEINTRESOURCEA(10) /* RT_RCDATA */);
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
