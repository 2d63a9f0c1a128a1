#include "saver/framework/driverlist.h"

#include <windows.h>

#include <memory>
#include <new>

#include "common/owners.h"
#include "common/text.h"
#include "saver/framework/sglmath.h"
#include "saver/framework/trace.h"

namespace {

char gVendor[256] = "";
bool gVendorLearnt = false;

bool StartsWithIgnoringCase(const char* text, const char* prefix)
{
    for (; *prefix; ++text, ++prefix) {
        char a = *text >= 'A' && *text <= 'Z' ? static_cast<char>(*text - 'A' + 'a') : *text;
        if (a != *prefix)
            return false;
    }
    return true;
}

// placeholder in lower case.
bool Replace(const char* pattern, const char* placeholder, const char* value, char* out,
             unsigned size)
{
    int length = lstrlenA(placeholder);
    if (!StartsWithIgnoringCase(pattern, placeholder))
        return false;
    return CopyText(out, size, value) && AppendText(out, size, pattern + length);
}

void ReadVersionString(const BYTE* data, const char* translation, const char* name, char* out,
                       std::size_t size)
{
    char query[128];
    FormatText(query, sizeof query, "\\StringFileInfo\\%s\\%s", translation, name);
    char* value = nullptr;
    UINT length = 0;
    if (VerQueryValueA(data, query, reinterpret_cast<void**>(&value), &length) && value && length)
        CopyText(out, size, value);
}

// The system OpenGL's context functions, looked up in its library.
struct VendorProbe {
    HGLRC(WINAPI* create)(HDC);
    BOOL(WINAPI* remove)(HGLRC);
    BOOL(WINAPI* current)(HDC, HGLRC);
    const unsigned char*(WINAPI* getString)(unsigned);
};

template <typename Proc> void Find(HMODULE library, const char* name, Proc* proc)
{
    *proc = reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// Asks a context on the window's device context for the vendor's name.
void ReadVendor(HDC dc, const VendorProbe& gl)
{
    PIXELFORMATDESCRIPTOR pfd;
    ZeroMemory(&pfd, sizeof pfd);
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_SUPPORT_OPENGL | PFD_DRAW_TO_WINDOW;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 24;
    int format = ChoosePixelFormat(dc, &pfd);
    if (!format || !SetPixelFormat(dc, format, &pfd))
        return;
    HGLRC context = gl.create(dc);
    if (!context)
        return;
    if (gl.current(dc, context)) {
        const unsigned char* vendor = gl.getString(0x1F00); // GL_VENDOR
        if (vendor)
            CopyText(gVendor, sizeof gVendor, reinterpret_cast<const char*>(vendor));
        gl.current(nullptr, nullptr);
    }
    gl.remove(context);
}

// Creates a context on a hidden window of the system OpenGL to ask its vendor.
void LearnVendor()
{
    ScrDebug(tlUsr, "Temporarily loading opengl32 to find its vendor information");
    Library library(LoadLibraryA("opengl32.dll"));
    if (!library)
        return;
    VendorProbe gl;
    Find(library.Get(), "wglCreateContext", &gl.create);
    Find(library.Get(), "wglDeleteContext", &gl.remove);
    Find(library.Get(), "wglMakeCurrent", &gl.current);
    Find(library.Get(), "glGetString", &gl.getString);
    if (!gl.create || !gl.remove || !gl.current || !gl.getString)
        return;
    HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP, 0, 0, 8, 8, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!window)
        return;
    {
        WindowDc dc(window);
        if (dc)
            ReadVendor(dc.Get(), gl);
    }
    DestroyWindow(window);
}

} // namespace

const char* SystemOpenGLVendor()
{
    if (!gVendorLearnt) {
        gVendorLearnt = true;
        LearnVendor();
    }
    return gVendor;
}

bool TSglDriverList::ExpandPattern(const char* pattern, char* out, unsigned size)
{
    char directory[kPathSize] = "";
    char module[kPathSize] = "";
    if (Replace(pattern, "<project>", "", out, size)) {
        GetModuleFileNameA(nullptr, module, sizeof module);
        DirectoryPart(directory, sizeof directory, module);
        return Replace(pattern, "<project>", directory, out, size);
    }
    if (Replace(pattern, "<windows>", "", out, size)) {
        GetWindowsDirectoryA(directory, sizeof directory);
        return Replace(pattern, "<windows>", directory, out, size);
    }
    if (Replace(pattern, "<system>", "", out, size)) {
        GetSystemDirectoryA(directory, sizeof directory);
        return Replace(pattern, "<system>", directory, out, size);
    }
    return CopyText(out, size, pattern);
}

void TSglDriverList::Describe(const char* file, TSglDriverDetails* entry)
{
    CopyText(entry->fileName, sizeof entry->fileName, file);
    FileNamePart(entry->text, sizeof entry->text, file);
    entry->is3dfx = sgl::NameIs3dfx(entry->text);
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(file, &handle);
    if (size == 0)
        return;
    std::unique_ptr<BYTE[]> block(new (std::nothrow) BYTE[size]());
    if (!block)
        return;
    BYTE* data = block.get();
    WORD* translations = nullptr;
    UINT length = 0;
    if (GetFileVersionInfoA(file, 0, size, data) &&
        VerQueryValueA(data, "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                       &length) &&
        translations && length >= 4) {
        char translation[16];
        FormatText(translation, sizeof translation, "%04x%04x", translations[0], translations[1]);
        char company[160] = "";
        char description[160] = "";
        char version[64] = "";
        ReadVersionString(data, translation, "CompanyName", company, sizeof company);
        ReadVersionString(data, translation, "FileDescription", description, sizeof description);
        ReadVersionString(data, translation, "FileVersion", version, sizeof version);
        if (company[0] || description[0] || version[0])
            FormatText(entry->text, sizeof entry->text, "%s %s %s", company, description, version);
        entry->is3dfx = entry->is3dfx || sgl::TextNames3dfx(company) ||
                        sgl::TextNames3dfx(description);
    }
}

void TSglDriverList::SetSearchPath(const std::vector<const char*>& patterns)
{
    patterns_.clear();
    for (const char* pattern : patterns)
        AddSearchPattern(pattern);
}

void TSglDriverList::AddSearchPattern(const char* pattern)
{
    patterns_.emplace_back(pattern, pattern + lstrlenA(pattern) + 1);
    built_ = false;
}

const std::vector<TSglDriverDetails>& TSglDriverList::GetDrivers()
{
    if (!built_)
        Build();
    return drivers_;
}

void TSglDriverList::Build()
{
    SystemOpenGLVendor();
    drivers_.clear();
    for (const std::vector<char>& pattern : patterns_) {
        char expanded[kPathSize];
        if (!ExpandPattern(pattern.data(), expanded, sizeof expanded))
            continue;
        char directory[kPathSize];
        DirectoryPart(directory, sizeof directory, expanded);
        WIN32_FIND_DATAA found;
        FindHandle search(FindFirstFileA(expanded, &found));
        if (!search)
            continue;
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                continue;
            char path[kPathSize];
            if (!JoinPath(path, sizeof path, directory, found.cFileName))
                continue;
            if (IndexOfFileName(path) >= 0)
                continue; // listed once, under its first pattern
            TSglDriverDetails entry;
            Describe(path, &entry);
            if (lstrcmpiA(found.cFileName, "opengl32.dll") == 0 && gVendor[0]) {
                AppendText(entry.text, sizeof entry.text, " (");
                AppendText(entry.text, sizeof entry.text, gVendor);
                AppendText(entry.text, sizeof entry.text, ")");
            }
            drivers_.push_back(entry);
        } while (FindNextFileA(search.Get(), &found));
    }
    built_ = true;
}

int TSglDriverList::IndexOfFileName(const char* name)
{
    char wanted[kPathSize];
    FileNamePart(wanted, sizeof wanted, name);
    bool bare = lstrcmpA(wanted, name) == 0;
    for (std::size_t i = 0; i < drivers_.size(); ++i) {
        char own[kPathSize];
        FileNamePart(own, sizeof own, drivers_[i].fileName);
        if (bare ? lstrcmpiA(own, wanted) == 0 : lstrcmpiA(drivers_[i].fileName, name) == 0)
            return static_cast<int>(i);
    }
    return -1;
}
