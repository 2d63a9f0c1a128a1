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
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kPageClassKey));
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
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kPageClassKey)) << "the class stays registered";
    EXPECT_TRUE(DeleteFileA(module.c_str())) << "nothing holds the module any more";

    // Nothing to stop and nothing to remove: it still ends quietly.
    hc::InstallModule();
    RunToEnd(module, "UninstallSilently");
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kPageKey));
    CoUninitialize();
}

} // namespace

// A caller with the user's own token (rundll32 here: Wine, like Windows
// with UAC, gives a program without an elevating manifest a limited token)
// starts the service as its own child, in the rundll32 of the module's own
// kind: one 32-bit host for the 32-bit module, none of the other kind beside
// it. (The elevated installer's way, through the desktop shell, is checked
// end to end.)
TEST(SilentInstall, TheServiceRunsInOneHostOfTheModulesOwnKind)
{
    const std::string module = hc::InstallModule();
    robot::Child caller = StartEntry(module, "InstallSilently");
    EXPECT_EQ(0u, robot::WaitExit(caller, kWaitMs));
    robot::Finish(caller);
    HWND service = hc::WaitForService(kWaitMs);
    ASSERT_NE(nullptr, service);
    DWORD serviceId = 0;
    GetWindowThreadProcessId(service, &serviceId);
    std::vector<support::ProcessEntry> hosts;
    for (const support::ProcessEntry& process : support::Processes())
        if (lstrcmpiA(process.fileName.c_str(), "rundll32.exe") == 0)
            hosts.push_back(process);
    ASSERT_EQ(1u, hosts.size()) << "only the service's host runs";
    EXPECT_EQ(serviceId, hosts[0].id);
    EXPECT_EQ(caller.id, hosts[0].parentId);
    HANDLE host = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, serviceId);
    ASSERT_NE(nullptr, host);
    BOOL hostWow64 = FALSE, ownWow64 = FALSE;
    EXPECT_TRUE(IsWow64Process(host, &hostWow64));
    CloseHandle(host);
    IsWow64Process(GetCurrentProcess(), &ownWow64);
    EXPECT_EQ(ownWow64, hostWow64) << "the host is of this test's (and the module's) kind";
    RunToEnd(module, "UninstallSilently");
    EXPECT_EQ(0, hc::CountServiceWindows());
}
