// Silent installation and removal through rundll32, as the installer and
// the uninstall helper call them.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

#include "robot.h"
#include "support.h"
#include "ui_support.h"

namespace {

using namespace hcui;

std::string StartupFolder()
{
    char path[MAX_PATH] = "";
    SHGetSpecialFolderPathA(nullptr, path, CSIDL_STARTUP, FALSE);
    return path;
}

std::vector<std::string> Links()
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((StartupFolder() + "\\*.lnk").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

struct Link {
    std::string path, arguments;
};

Link ReadLink(const std::string& file)
{
    Link link;
    IShellLinkA* shell = nullptr;
    IPersistFile* persist = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&shell))) &&
        SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
        std::wstring wide(file.begin(), file.end());
        if (SUCCEEDED(persist->Load(wide.c_str(), STGM_READ))) {
            char text[MAX_PATH] = "";
            shell->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH);
            link.path = text;
            shell->GetArguments(text, sizeof text);
            link.arguments = text;
        }
    }
    if (persist)
        persist->Release();
    if (shell)
        shell->Release();
    return link;
}

DWORD Option(const char* name)
{
    DWORD value = 99, size = sizeof value;
    RegGetValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

// The file name of the process that started process id; empty when unknown.
std::string ParentName(DWORD id)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    std::vector<PROCESSENTRY32> processes;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        processes.push_back(entry);
    CloseHandle(snapshot);
    for (const PROCESSENTRY32& child : processes)
        if (child.th32ProcessID == id)
            for (const PROCESSENTRY32& parent : processes)
                if (parent.th32ProcessID == child.th32ParentProcessID)
                    return parent.szExeFile;
    return "";
}

void RunToEnd(const std::string& module, const char* entry)
{
    robot::Child child = StartEntry(module, entry);
    EXPECT_EQ(0u, robot::WaitExit(child, kWaitMs)) << entry << " ends by itself";
    robot::Finish(child);
}

TEST(SilentInstall, TwiceLeavesOneOfEachAndUninstallUndoesIt)
{
    CoInitialize(nullptr);
    const std::string module = hc::InstallModule();
    RunToEnd(module, "InstallSilently");
    RunToEnd(module, "InstallSilently");

    ASSERT_NE(nullptr, hc::WaitForService(kWaitMs));
    // The second service finds the first and ends.
    EXPECT_TRUE(robot::WaitFor([] { return !robot::FindTopWindow(nullptr, "Hot Corners"); }, kWaitMs));
    Sleep(3000);
    EXPECT_EQ(1, hc::CountServiceWindows());
    EXPECT_EQ(std::vector<std::string>{"Quadrix.lnk"}, Links());
    Link link = ReadLink(StartupFolder() + "\\Quadrix.lnk");
    EXPECT_NE(std::string::npos, link.path.find("rundll32.exe")) << link.path;
    EXPECT_EQ(module + ",RunService", link.arguments);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kPageKey));
    EXPECT_EQ(std::string("YNN-", 5), RawText(HKEY_CURRENT_USER, kCornersKey, "Mouse Corners"));
    EXPECT_EQ(1u, Option("Quadrix Tray Icon"));
    EXPECT_EQ(1u, Option("Quadrix Feedback"));

    // The uninstall helper deletes the module soon after: the service's
    // process has ended by the time UninstallSilently returns.
    DWORD serviceId = 0;
    GetWindowThreadProcessId(hc::WaitForService(kWaitMs), &serviceId);
    HANDLE service = OpenProcess(SYNCHRONIZE, FALSE, serviceId);
    ASSERT_NE(nullptr, service);
    RunToEnd(module, "UninstallSilently");
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(service, 0));
    CloseHandle(service);
    EXPECT_EQ(0, hc::CountServiceWindows());
    EXPECT_TRUE(Links().empty());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kPageKey));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kClassKey)) << "the class stays registered";
    EXPECT_TRUE(DeleteFileA(module.c_str())) << "nothing holds the module any more";

    // Nothing to stop and nothing to remove: it still ends quietly.
    hc::InstallModule();
    RunToEnd(module, "UninstallSilently");
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kPageKey));
    CoUninitialize();
}

} // namespace

// An elevated installer's service must run as the user who installed it: the
// module hands the start to the desktop shell, whose child the service then
// is. (Wine gives every process an administrator's full token; on Windows
// only an elevated installer's calls take this way, the others start the
// service themselves.)
TEST(SilentInstall, AnElevatedStartLeavesTheServiceToTheDesktopShell)
{
    const std::string module = hc::InstallModule();
    RunToEnd(module, "InstallSilently");
    HWND service = hc::WaitForService(kWaitMs);
    ASSERT_NE(nullptr, service);
    DWORD serviceId = 0;
    GetWindowThreadProcessId(service, &serviceId);
    EXPECT_STRCASEEQ("explorer.exe", ParentName(serviceId).c_str());
    RunToEnd(module, "UninstallSilently");
    EXPECT_EQ(0, hc::CountServiceWindows());
}
