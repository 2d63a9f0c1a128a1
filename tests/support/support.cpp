#include "support.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace support {

std::string WinPath(const std::string& unixPath)
{
    if (unixPath.empty() || unixPath[0] != '/')
        return unixPath;
    std::string path = "Z:" + unixPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string WindowsDirectory()
{
    char directory[MAX_PATH];
    UINT length = GetWindowsDirectoryA(directory, sizeof directory);
    return std::string(directory, length < sizeof directory ? length : 0);
}

std::string InWindows(const std::string& name)
{
    return WindowsDirectory() + "\\" + name;
}

std::string TempDirectory()
{
    char directory[MAX_PATH];
    DWORD length = GetTempPathA(sizeof directory, directory);
    return std::string(directory, length < sizeof directory ? length : 0);
}

std::string ArtifactPath(const std::string& name)
{
    std::string directory = WinPath(ORBELLE_ARTIFACTS);
    CreateDirectoryA(directory.c_str(), nullptr);
    return directory + "\\" + name;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool KeyExists(HKEY root, const std::string& path)
{
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::string SaverTracePath()
{
    return TempDirectory() + "orbelle-trace.txt";
}

std::string SaverTrace()
{
    std::vector<std::uint8_t> bytes = ReadBytes(SaverTracePath());
    return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string> SaverTraceEnvironment()
{
    return EnvironmentWith({"ORBELLE_TRACE=" + SaverTracePath()});
}

std::vector<ProcessEntry> Processes()
{
    std::vector<ProcessEntry> processes;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return processes;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        processes.push_back({entry.th32ProcessID, entry.th32ParentProcessID, entry.szExeFile});
    CloseHandle(snapshot);
    return processes;
}

std::string ParentProcessName(DWORD id)
{
    std::vector<ProcessEntry> processes = Processes();
    for (const ProcessEntry& child : processes)
        if (child.id == id)
            for (const ProcessEntry& parent : processes)
                if (parent.id == child.parentId)
                    return parent.fileName;
    return "";
}

namespace {

bool ProcessRuns(const char* fileName)
{
    for (const ProcessEntry& entry : Processes())
        if (lstrcmpiA(entry.fileName.c_str(), fileName) == 0)
            return true;
    return false;
}

} // namespace

bool WaitUntilNoProcess(const char* fileName, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (ProcessRuns(fileName)) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(50);
    }
    return true;
}

std::vector<Frame> Frames(const std::string& trace)
{
    std::vector<Frame> frames;
    std::size_t at = 0;
    while ((at = trace.find("frame ", at)) != std::string::npos) {
        Frame f;
        if (std::sscanf(trace.c_str() + at, "frame %lu size %dx%d lit %lu checksum %lx", &f.number,
                        &f.width, &f.height, &f.lit, &f.checksum) == 5)
            frames.push_back(f);
        at += 6;
    }
    return frames;
}

std::vector<std::uint8_t> ReadBytes(const std::string& path)
{
    std::vector<std::uint8_t> bytes;
    // Shared for writing too: a saver appending to its trace file must not
    // lose a line because a test is reading the file at that moment.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    DWORD size = GetFileSize(file, nullptr);
    bytes.resize(size);
    DWORD read = 0;
    if (size && !ReadFile(file, bytes.data(), size, &read, nullptr))
        read = 0;
    bytes.resize(read);
    CloseHandle(file);
    return bytes;
}

std::vector<std::uint8_t> ResourceBytes(const std::string& module, const char* name)
{
    std::vector<std::uint8_t> bytes;
    HMODULE data = LoadLibraryExA(module.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!data)
        return bytes;
    if (HRSRC resource = FindResourceA(data, name, RT_RCDATA)) {
        DWORD size = SizeofResource(data, resource);
        const std::uint8_t* begin =
            static_cast<const std::uint8_t*>(LockResource(LoadResource(data, resource)));
        if (begin)
            bytes.assign(begin, begin + size);
    }
    FreeLibrary(data);
    return bytes;
}

std::string SystemText(DWORD error)
{
    char text[1024] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                   text, sizeof text, nullptr);
    return text;
}

Snapshot TakeSnapshot(const std::string& directory)
{
    Snapshot snapshot;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return snapshot;
    do {
        if (std::strcmp(found.cFileName, ".") == 0 || std::strcmp(found.cFileName, "..") == 0)
            continue;
        std::uint64_t size = (std::uint64_t(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        std::uint64_t time = (std::uint64_t(found.ftLastWriteTime.dwHighDateTime) << 32) |
                             found.ftLastWriteTime.dwLowDateTime;
        snapshot[found.cFileName] = {size, time};
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return snapshot;
}

std::vector<std::string> Differences(const Snapshot& before, const Snapshot& after)
{
    std::vector<std::string> names;
    for (const auto& entry : after) {
        auto old = before.find(entry.first);
        if (old == before.end() || old->second != entry.second)
            names.push_back(entry.first);
    }
    for (const auto& entry : before) {
        if (!after.count(entry.first))
            names.push_back(entry.first);
    }
    return names;
}

CreationWatch::CreationWatch(const std::string& directory)
{
    directory_ = CreateFileA(directory.c_str(), FILE_LIST_DIRECTORY,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED,
                             nullptr);
    stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    // Nothing created before the first request is in place can be missed.
    WaitForSingleObject(ready_, 5000);
}

CreationWatch::~CreationWatch()
{
    Stop();
    CloseHandle(stop_);
    CloseHandle(ready_);
    if (directory_ != INVALID_HANDLE_VALUE)
        CloseHandle(directory_);
}

std::vector<std::string> CreationWatch::Stop()
{
    if (thread_) {
        SetEvent(stop_);
        WaitForSingleObject(thread_, 5000);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    return names_;
}

DWORD WINAPI CreationWatch::Run(void* parameter)
{
    CreationWatch* self = static_cast<CreationWatch*>(parameter);
    if (self->directory_ == INVALID_HANDLE_VALUE) {
        SetEvent(self->ready_);
        return 0;
    }
    alignas(DWORD) static thread_local char buffer[64 * 1024];
    OVERLAPPED overlapped = {};
    overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    for (;;) {
        ResetEvent(overlapped.hEvent);
        if (!ReadDirectoryChangesW(self->directory_, buffer, sizeof buffer, FALSE,
                                   FILE_NOTIFY_CHANGE_FILE_NAME, nullptr, &overlapped, nullptr))
            break;
        SetEvent(self->ready_);
        HANDLE waits[2] = {overlapped.hEvent, self->stop_};
        DWORD which = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
        DWORD bytes = 0;
        if (which != WAIT_OBJECT_0) {
            CancelIo(self->directory_);
            GetOverlappedResult(self->directory_, &overlapped, &bytes, TRUE);
            break;
        }
        if (!GetOverlappedResult(self->directory_, &overlapped, &bytes, FALSE) || bytes == 0)
            continue;
        for (const char* p = buffer;;) {
            const FILE_NOTIFY_INFORMATION* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(p);
            if (info->Action == FILE_ACTION_ADDED) {
                char name[MAX_PATH] = "";
                WideCharToMultiByte(CP_ACP, 0, info->FileName,
                                    static_cast<int>(info->FileNameLength / sizeof(WCHAR)), name,
                                    sizeof name - 1, nullptr, nullptr);
                self->names_.push_back(name);
            }
            if (info->NextEntryOffset == 0)
                break;
            p += info->NextEntryOffset;
        }
    }
    SetEvent(self->ready_);
    CloseHandle(overlapped.hEvent);
    return 0;
}

} // namespace support
