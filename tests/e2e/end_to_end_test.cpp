// A user's first day with the package, under Wine from a fresh prefix: the
// installer run as a process, what it leaves looked at the way the system
// and other programs see it, the saver and the hot corners used, both
// products removed through their Add/Remove entries, and the machine
// compared with how it was before.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <cstring>

#include "installer/finish/preview.h"
#include "keys.h"
#include "machine_state.h"
#include "robot.h"
#include "support.h"

namespace {

constexpr DWORD kWindowMs = 30000;
constexpr DWORD kExitMs = 60000;
constexpr int kInstallQuadrix = 6;
using support::InWindows;
using support::KeyExists;
using support::kDatabase;
using support::kDesktop;
using support::kEntries;
using support::kPageClassId;
using support::kPageKey;

const std::string kSetup = support::WinPath(ORBELLE_SETUP);

// Screenshots of every window a user sees go beside the main job's.
void Shot(const char* name)
{
    std::string directory = support::WinPath(E2E_SCREENS);
    CreateDirectoryA(directory.c_str(), nullptr);
    robot::Screenshot(directory + "\\" + name);
}

std::string ReadString(HKEY root, const std::string& key, const char* name)
{
    char text[1024];
    DWORD size = sizeof text;
    if (RegGetValueA(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return "<missing>";
    return text;
}

// name -> data of every REG_SZ value of a key.
std::map<std::string, std::string> Values(HKEY root, const std::string& path)
{
    std::map<std::string, std::string> values;
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return values;
    char name[1024];
    BYTE data[1024];
    for (DWORD i = 0;; ++i) {
        DWORD nameSize = sizeof name, dataSize = sizeof data - 1, type = 0;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS)
            break;
        data[dataSize] = 0;
        values[name] = reinterpret_cast<char*>(data);
    }
    RegCloseKey(key);
    return values;
}

std::string StartupFolder()
{
    char folder[MAX_PATH] = "";
    SHGetSpecialFolderPathA(nullptr, folder, CSIDL_STARTUP, FALSE);
    return folder;
}

// Calls System_Agent_Detect of the installed module, loaded for the call only
// (a module kept loaded here would hold the file its removal deletes).
int AgentDetect()
{
    HMODULE module = LoadLibraryA(InWindows("quadrix.dll").c_str());
    if (!module)
        return -1;
    auto detect = reinterpret_cast<int(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(module, "System_Agent_Detect")));
    int running = detect ? detect() : -1;
    FreeLibrary(module);
    return running;
}

int CountWindows(const char* className)
{
    int count = 0;
    for (HWND w = FindWindowExA(nullptr, nullptr, className, nullptr); w;
         w = FindWindowExA(nullptr, w, className, nullptr))
        ++count;
    return count;
}

std::string Describe(const std::vector<robot::MessageBoxView>& boxes)
{
    std::string text;
    for (const robot::MessageBoxView& box : boxes)
        text += "[" + box.caption + ": " + box.text + "] ";
    return text;
}

std::string TracePath()
{
    return support::TempDirectory() + "e2e-trace.txt";
}

int LitFrames(const std::string& trace)
{
    std::vector<std::uint8_t> bytes = support::ReadBytes(trace);
    std::vector<support::Frame> frames = support::Frames(std::string(bytes.begin(), bytes.end()));
    return static_cast<int>(std::count_if(frames.begin(), frames.end(),
                                          [](const support::Frame& f) { return f.lit > 0; }));
}

// Runs the installer to its end as a user would: keeps "Install Quadrix"
// set, presses "&Install", answers every box with answerBox (the boxes seen
// are returned) and closes the Preview with OK once its saver drew.
struct InstallResult {
    DWORD exitCode = STILL_ACTIVE;
    bool previewShown = false;
    int litFrames = 0;
    bool previewMoved = false; // the rings turned in the Preview, on the screen
    std::vector<robot::MessageBoxView> boxes;
};

InstallResult RunInstaller(const std::string& setup, bool screenshots,
                           int (*answerBox)(const robot::MessageBoxView&) = nullptr,
                           std::vector<std::string> environment = {})
{
    InstallResult result;
    const std::string trace = TracePath();
    DeleteFileA(trace.c_str());
    environment.push_back("ORBELLE_TRACE=" + trace);
    robot::Child child = robot::Start("\"" + setup + "\"", support::EnvironmentWith(environment));
    HWND prelim = robot::WaitForDialog("Orbelle screen saver", kWindowMs, child.id);
    EXPECT_NE(nullptr, prelim);
    if (!prelim) {
        robot::Finish(child);
        return result;
    }
    EXPECT_TRUE(robot::IsChecked(prelim, kInstallQuadrix));
    if (screenshots) {
        robot::Settle(child);
        Shot("e2e-1-prelim.png");
    }
    robot::Press(prelim, IDOK);
    DWORD start = GetTickCount();
    while (GetTickCount() - start < kExitMs) {
        result.exitCode = robot::WaitExit(child, 50);
        if (result.exitCode != STILL_ACTIVE)
            break;
        for (HWND window : robot::TopWindows(child.id)) {
            if (window == prelim || robot::ClassName(window) != "#32770")
                continue;
            std::string caption = robot::Text(window);
            if (caption.empty()) // still being made
                continue;
            if (caption == "Preview") {
                result.previewShown = true;
                robot::WaitFor([&] { return LitFrames(trace) >= 3; }, kWindowMs);
                result.litFrames = LitFrames(trace);
                result.previewMoved =
                    robot::ShowsMovingPicture(GetDlgItem(window, kPreviewArea), kWindowMs);
                if (screenshots)
                    Shot("e2e-2-preview.png");
                robot::Press(window, IDOK);
                robot::WaitUntilGone(window, 5000);
                continue;
            }
            robot::MessageBoxView box = robot::WaitForMessageBox(caption.c_str(), 2000, child.id);
            if (box.window != window || box.buttons.empty())
                continue;
            result.boxes.push_back(box);
            robot::Press(window, answerBox ? answerBox(box) : box.buttons.front());
            robot::WaitUntilGone(window, 5000);
        }
    }
    robot::Finish(child);
    return result;
}

// Runs a removal's command line and answers every box it shows, whichever
// process shows it (a removal started through an add/remove-programs tool
// runs in that tool's child): Yes to a question, the only button otherwise.
// Returns once the command and every unglimex.exe have ended.
std::vector<robot::MessageBoxView> RunRemoval(const std::string& command, const char* shotPrefix)
{
    std::vector<robot::MessageBoxView> boxes;
    robot::Child child = robot::Start(command);
    EXPECT_NE(nullptr, child.process) << command;
    DWORD start = GetTickCount();
    int shots = 0;
    auto running = [&] {
        return robot::WaitExit(child, 50) == STILL_ACTIVE || !support::WaitUntilNoProcess("unglimex.exe", 0);
    };
    while (child.process && GetTickCount() - start < kExitMs && running()) {
        for (HWND window : robot::TopWindows(0)) {
            if (robot::ClassName(window) != "#32770")
                continue;
            robot::MessageBoxView box = robot::WaitForMessageBox(robot::Text(window).c_str(), 2000);
            if (box.window != window || box.buttons.empty())
                continue;
            boxes.push_back(box);
            if (shotPrefix) {
                robot::Settle(child, 300);
                Shot((std::string(shotPrefix) + std::to_string(++shots) + ".png").c_str());
            }
            bool question = std::find(box.buttons.begin(), box.buttons.end(), IDYES) != box.buttons.end();
            robot::Press(window, question ? IDYES : box.buttons.front());
            robot::WaitUntilGone(window, 5000);
        }
    }
    EXPECT_NE(STILL_ACTIVE, robot::WaitExit(child, 0)) << command;
    robot::Finish(child);
    return boxes;
}

std::vector<robot::MessageBoxView> RunUninstallString(const std::string& token, const char* shotPrefix)
{
    return RunRemoval(ReadString(HKEY_LOCAL_MACHINE, kEntries + token, "UninstallString"), shotPrefix);
}

// Wine's own add/remove-programs tool, the 64-bit one that its control panel
// runs: a 64-bit program finds a 32-bit program's entries only where it
// reads both registry views; "--remove" runs the entry's UninstallString and
// says nothing when it finds no entry. (Sysnative names the 64-bit system
// folder to a 32-bit process.)
std::string WineUninstaller()
{
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    return InWindows(wow64 ? "sysnative\\uninstaller.exe" : "system32\\uninstaller.exe");
}

void ExpectInstalledFrom(const char* file, const char* resource)
{
    std::vector<std::uint8_t> carried = support::ResourceBytes(kSetup, resource);
    ASSERT_FALSE(carried.empty()) << resource;
    EXPECT_TRUE(carried == support::ReadBytes(InWindows(file))) << file << " differs from " << resource;
}

// The elevated installer (its manifest asks for an administrator; Wine, like
// Windows with UAC, gives other programs a limited token) leaves the
// service's start to the desktop shell, so the service runs as the user: one
// rundll32, the shell's child, of the module's own kind (no 64-bit host
// beside a 32-bit one).
void ExpectTheServiceStartedByTheDesktopShell()
{
    HWND service = FindWindowA("QuadrixService", nullptr);
    DWORD serviceId = 0;
    GetWindowThreadProcessId(service, &serviceId);
    int hosts = 0;
    for (const support::ProcessEntry& process : support::Processes())
        hosts += lstrcmpiA(process.fileName.c_str(), "rundll32.exe") == 0;
    EXPECT_EQ(1, hosts);
    EXPECT_STRCASEEQ("explorer.exe", support::ParentProcessName(serviceId).c_str());
    HANDLE host = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, serviceId);
    BOOL hostWow64 = FALSE, ownWow64 = FALSE;
    EXPECT_TRUE(host && IsWow64Process(host, &hostWow64));
    if (host)
        CloseHandle(host);
    IsWow64Process(GetCurrentProcess(), &ownWow64);
    EXPECT_EQ(ownWow64, hostWow64);
}

// Where the keys of a program of this test's kind lie for a 64-bit program:
// under Wow6432Node for a 32-bit one on 64-bit Windows.
void ExpectTheKeysInTheViewOfTheirKind()
{
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    const std::string node = wow64 ? "Wow6432Node\\" : "";
    for (const std::string& key :
         {"Software\\" + node + "Microsoft\\Windows\\CurrentVersion\\Uninstall\\orbelle.scr",
          "Software\\" + node + "Microsoft\\Windows\\CurrentVersion\\Uninstall\\quadrix.dll",
          "Software\\" + node + "Tolvar\\Unglimex\\orbelle.scr",
          "Software\\Classes\\" + node + "CLSID\\" + kPageClassId}) {
        HKEY opened = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0,
                                               KEY_READ | KEY_WOW64_64KEY, &opened))
            << key;
        if (opened)
            RegCloseKey(opened);
    }
}

void ExpectTheInstalledMachine()
{
    ExpectInstalledFrom("quadrix.dll", "RESOURCE_QUADRIX");
    ExpectInstalledFrom("orbelle.scr", "RESOURCE_SAVER");
    ExpectInstalledFrom("unglimex.exe", "RESOURCE_UNGLIMEX");

    const std::string windows = support::WindowsDirectory();
    using Table = std::map<std::string, std::string>;
    EXPECT_EQ((Table{{"", "Orbelle screen saver"},
                     {windows + "\\orbelle.scr", " "},
                     {"*HKEY_CURRENT_USER\\Software\\glimmex\\orbelle", " "}}),
              Values(HKEY_LOCAL_MACHINE, std::string(kDatabase) + "\\orbelle.scr"));
    EXPECT_EQ((Table{{"", "Hot Corners"},
                     {windows + "\\quadrix.dll", " "},
                     {"_cmd1", "rundll32.exe " + windows + "\\quadrix.dll,UninstallSilently"},
                     {"_cmd2", "sleep 500"}}),
              Values(HKEY_LOCAL_MACHINE, std::string(kDatabase) + "\\quadrix.dll"));
    for (const auto& [token, name] : {std::pair<std::string, std::string>{"orbelle.scr", "Orbelle screen saver"},
                                      {"quadrix.dll", "Hot Corners"}}) {
        SCOPED_TRACE(token);
        EXPECT_EQ((Table{{"DisplayName", name},
                         {"UninstallString", windows + "\\unglimex.exe /remove " + token}}),
                  Values(HKEY_LOCAL_MACHINE, kEntries + token));
    }

    char shortPath[MAX_PATH] = "", current[MAX_PATH] = "";
    GetShortPathNameA(InWindows("orbelle.scr").c_str(), shortPath, sizeof shortPath);
    GetPrivateProfileStringA("boot", "SCRNSAVE.EXE", "", current, sizeof current, "system.ini");
    EXPECT_STRCASEEQ(shortPath, current);
    // Wine keeps this setting per process: read what is stored.
    EXPECT_EQ("1", ReadString(HKEY_CURRENT_USER, kDesktop, "ScreenSaveActive"));

    EXPECT_TRUE(robot::WaitFor([] { return AgentDetect() == 1; }, kWindowMs)) << "no hot-corners service";
    EXPECT_EQ(1, CountWindows("QuadrixService"));
    ExpectTheServiceStartedByTheDesktopShell();
    EXPECT_TRUE(support::FileExists(StartupFolder() + "\\Quadrix.lnk"));
    const std::string classKey = std::string("Software\\Classes\\CLSID\\") + kPageClassId;
    EXPECT_EQ("Quadrix", ReadString(HKEY_LOCAL_MACHINE, classKey, nullptr));
    EXPECT_STRCASEEQ(InWindows("quadrix.dll").c_str(),
                     ReadString(HKEY_LOCAL_MACHINE, classKey + "\\InProcServer32", nullptr).c_str());
    EXPECT_EQ(kPageClassId, ReadString(HKEY_LOCAL_MACHINE, kPageKey, nullptr));
    ExpectTheKeysInTheViewOfTheirKind();
}

// The full-screen saver from the installed file: two screenshots a second
// apart both show lit rings, and they differ (the rings move).
void ExpectMovingRingsFullScreen()
{
    robot::Child saver = robot::Start("\"" + InWindows("orbelle.scr") + "\" /s");
    HWND window = robot::WaitForWindow("TSaverForm", nullptr, kWindowMs, saver.id);
    ASSERT_NE(nullptr, window);
    robot::Settle(saver, 1500);
    auto sample = [] {
        std::vector<COLORREF> pixels;
        for (int y = 8; y < 768; y += 24)
            for (int x = 8; x < 1024; x += 24)
                pixels.push_back(robot::ScreenPixel(x, y));
        return pixels;
    };
    auto lit = [](const std::vector<COLORREF>& p) {
        return std::count_if(p.begin(), p.end(), [](COLORREF c) { return c != RGB(0, 0, 0); });
    };
    // The grid is coarse and the outlines thin: on a loaded machine one
    // sample in a while meets too few of them, so a sample is taken again
    // until it shows the rings.
    std::vector<COLORREF> first, second;
    EXPECT_TRUE(robot::WaitFor([&] { return lit(first = sample()) > 10; }, kWindowMs))
        << "no rings: " << lit(first) << " lit samples";
    Shot("e2e-3-saver-a.png");
    Sleep(1000);
    EXPECT_TRUE(robot::WaitFor([&] { return lit(second = sample()) > 10 && second != first; },
                               kWindowMs))
        << "the rings stood still or went dark: " << lit(second) << " lit samples";
    Shot("e2e-3-saver-b.png");
    robot::SendKey(window, VK_ESCAPE);
    EXPECT_NE(STILL_ACTIVE, robot::WaitExit(saver, kWindowMs));
    robot::Finish(saver);
}

// What the user opens afterwards: the saver's settings (both pages) and the
// hot-corners settings, each photographed and cancelled.
void PhotographTheSettings()
{
    robot::Child options = robot::Start("\"" + InWindows("orbelle.scr") + "\" /c");
    HWND dialog = robot::WaitForDialog("Options for Orbelle", kWindowMs, options.id);
    ASSERT_NE(nullptr, dialog);
    robot::MessageBoxView hint = robot::WaitForMessageBox("Orbelle", 5000, options.id);
    if (hint.window) { // the one-time driver hint leaves the "Driver" page in front
        robot::Press(hint.window, IDOK);
        robot::WaitUntilGone(hint.window, 5000);
    }
    robot::Settle(options, 500);
    Shot("e2e-4-options-driver.png");
    HWND tabs = FindWindowExA(dialog, nullptr, "SysTabControl32", nullptr);
    if (tabs) {
        TabCtrl_SetCurFocus(tabs, 0);
        robot::Settle(options, 500);
        Shot("e2e-4-options-general.png");
    }
    robot::Press(dialog, IDCANCEL);
    robot::WaitExit(options, kWindowMs);
    robot::Finish(options);

    robot::Child corners = robot::Start("rundll32.exe " + InWindows("quadrix.dll") + ",RunDialog");
    HWND settings = robot::WaitForDialog("Hot Corners", kWindowMs, corners.id);
    EXPECT_NE(nullptr, settings);
    if (settings) {
        robot::Settle(corners, 500);
        Shot("e2e-5-hot-corners.png");
        robot::Press(settings, IDCANCEL);
    }
    robot::WaitExit(corners, kWindowMs);
    robot::Finish(corners);
}

// The pointer parked in the top-right corner ("Never" by default) switches
// screen saving off, and leaving the corner switches it back on.
void ExpectANeverCornerToHoldTheSaverOff()
{
    EXPECT_EQ("YNN-", ReadString(HKEY_CURRENT_USER,
                                 "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers",
                                 "Mouse Corners"));
    auto active = [] { return ReadString(HKEY_CURRENT_USER, kDesktop, "ScreenSaveActive"); };
    ASSERT_TRUE(robot::MoveMouse({1023, 0}));
    EXPECT_TRUE(robot::WaitFor([&] { return active() == "0"; }, 10000)) << active();
    ASSERT_TRUE(robot::MoveMouse({512, 384}));
    EXPECT_TRUE(robot::WaitFor([&] { return active() == "1"; }, 10000)) << active();
}

void ExpectHotCornersRemoved()
{
    std::vector<robot::MessageBoxView> boxes = RunUninstallString("quadrix.dll", "e2e-6-remove-quadrix-");
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ("Remove program", boxes[0].caption);
    EXPECT_EQ("Hot Corners has been removed.", boxes[1].text);
    EXPECT_TRUE(robot::WaitFor([] { return CountWindows("QuadrixService") == 0; }, kWindowMs));
    EXPECT_FALSE(support::FileExists(StartupFolder() + "\\Quadrix.lnk"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kPageKey));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, std::string("Software\\Classes\\CLSID\\") + kPageClassId));
    EXPECT_FALSE(support::FileExists(InWindows("quadrix.dll")));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kDatabase) + "\\quadrix.dll"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kEntries) + "quadrix.dll"));
}

void ExpectSaverRemoved()
{
    // Removed as a user of Wine removes programs: through its own tool.
    std::vector<robot::MessageBoxView> boxes =
        RunRemoval("\"" + WineUninstaller() + "\" --remove orbelle.scr", "e2e-7-remove-saver-");
    ASSERT_EQ(2u, boxes.size());
    EXPECT_EQ("This will remove Orbelle screen saver.\r\nAre you sure you want to continue?", boxes[0].text);
    EXPECT_EQ("Orbelle screen saver has been removed.", boxes[1].text);
    EXPECT_FALSE(support::FileExists(InWindows("orbelle.scr")));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\glimmex\\orbelle"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kDatabase));
    // The helper and its temporary clone go once both processes have ended.
    EXPECT_TRUE(robot::WaitFor([] { return !support::FileExists(InWindows("unglimex.exe")); }, kWindowMs));
    EXPECT_TRUE(support::WaitUntilNoProcess("unglimex.exe", kWindowMs));
}

// What may differ after a whole installation and removal, and why.
const std::vector<e2e::Allowance> kWhatStays = {
    {"key HKLM\\Software\\Classes\\CLSID\\{9CB48109-E0FC-11D0-8E0C-C52523886C3B}", false,
     "the module's COM class stays registered after removal"},
    {"value HKLM\\Software\\Classes\\CLSID\\{9CB48109-E0FC-11D0-8E0C-C52523886C3B}\\", false,
     "the module's COM class stays registered after removal"},
    {"key HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\Display", true,
     "parents of the page's registration: Windows has them for the Display panel's own pages"},
    {"key HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\Display\\shellex", true,
     "parents of the page's registration: Windows has them for the Display panel's own pages"},
    {"key HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\Display\\shellex\\"
     "PropertySheetHandlers", true,
     "parents of the page's registration: Windows has them for the Display panel's own pages"},
    {"key HKLM\\Software\\Tolvar", true, "the database's parent key stays"},
    {"key HKCU\\Software\\glimmex", true, "the settings' parent key stays"},
    {"value HKCU\\Control Panel\\Desktop\\<ScreenSaveActive>", true, "screen saving switched on"},
    {"value HKCU\\Control Panel\\Desktop\\<Quadrix Tray Icon>", true, "the hot-corners options"},
    {"value HKCU\\Control Panel\\Desktop\\<Quadrix Feedback>", true, "the hot-corners options"},
    {"key HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers", true,
     "the screen-saver values shared with other savers, the corner setting among them"},
    {"value HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers\\<", false,
     "the screen-saver values shared with other savers, the corner setting among them"},
    {"file C:\\windows\\system.ini", true, "names the current screen saver"},
};

// What Wine itself writes while the programs run, seen in a control run too
// but not at the same moments (its own settings, caches and logs).
const std::vector<e2e::Allowance> kWineWrites = {
    {"key HKCU\\Software\\Wine", false, "Wine's own settings"},
    {"key HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced", true,
     "Wine's shell makes it when it first names a shortcut; Windows has it from the start"},
    {"value HKCU\\Software\\Wine", false, "Wine's own settings"},
    {"file C:\\windows\\temp\\", false, "temporary files of other programs"},
    {"folder C:\\windows\\temp\\", false, "temporary files of other programs"},
};

TEST(EndToEnd, OneInstallationAndItsRemovalLeaveTheMachineAsItWas)
{
    // The control: a do-nothing program that uses the shell and OpenGL, so
    // that what Wine writes on their first use is already there.
    robot::Child control = robot::Start("\"" + support::WinPath(CONTROL_PROGRAM) + "\"");
    ASSERT_EQ(0u, robot::WaitExit(control, kExitMs));
    robot::Finish(control);
    e2e::MachineState before = e2e::ReadMachineState();

    InstallResult install = RunInstaller(kSetup, true);
    EXPECT_EQ(1u, install.exitCode);
    EXPECT_TRUE(install.previewShown);
    EXPECT_GE(install.litFrames, 3) << "the Preview's saver drew no lit frames";
    EXPECT_TRUE(install.previewMoved) << "the Preview showed no turning rings";
    EXPECT_TRUE(install.boxes.empty()) << Describe(install.boxes);
    EXPECT_TRUE(support::WaitUntilNoProcess("orbelle.scr", kWindowMs)) << "the preview saver outlived OK";

    ExpectTheInstalledMachine();
    ExpectMovingRingsFullScreen();
    PhotographTheSettings();
    ExpectANeverCornerToHoldTheSaverOff();
    ExpectHotCornersRemoved();
    ExpectSaverRemoved();

    DeleteFileA(TracePath().c_str()); // the test's own
    std::vector<e2e::Allowance> allowed = kWhatStays;
    allowed.insert(allowed.end(), kWineWrites.begin(), kWineWrites.end());
    if (GetVersion() & 0x80000000) // the Windows 95 family
        allowed.push_back({"file C:\\windows\\wininit.ini", true,
                           "the helper's temporary copy is deleted at the next start: that family "
                           "cannot delete a file as it is closed"});
    std::vector<std::string> unexpected;
    for (const std::string& difference : e2e::Differences(before, e2e::ReadMachineState())) {
        bool expected = e2e::Allowed(difference, allowed);
        std::printf("%s %s\n", expected ? "  kept:" : "  LEFT:", difference.c_str());
        if (!expected)
            unexpected.push_back(difference);
    }
    EXPECT_EQ(std::vector<std::string>(), unexpected) << "left behind on the machine";
}

TEST(EndToEnd, ASecondInstallationAsksNothingAndLeavesOneOfEverything)
{
    InstallResult first = RunInstaller(kSetup, false);
    ASSERT_EQ(1u, first.exitCode);
    ASSERT_TRUE(support::WaitUntilNoProcess("orbelle.scr", kWindowMs));
    e2e::MachineState once = e2e::ReadMachineState();
    InstallResult second = RunInstaller(kSetup, false);
    EXPECT_EQ(1u, second.exitCode);
    EXPECT_TRUE(second.boxes.empty()) << Describe(second.boxes);
    ExpectTheInstalledMachine();
    EXPECT_TRUE(robot::WaitFor([] { return CountWindows("QuadrixService") == 1; }, 5000));
    int links = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((StartupFolder() + "\\*.lnk").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        links += _strnicmp(found.cFileName, "Quadrix", 7) == 0;
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    EXPECT_EQ(1, links);
    // Nothing new in the registry or the Windows directory: the same facts again.
    std::vector<std::string> added;
    for (const std::string& difference : e2e::Differences(once, e2e::ReadMachineState())) {
        if (difference[0] == '+' && !e2e::Allowed(difference, kWineWrites))
            added.push_back(difference);
    }
    EXPECT_EQ(std::vector<std::string>(), added);
}

// A temporary folder that cannot be written (here: one that is not there)
// fails every extraction; the user is told for each program, nothing is
// installed or registered, and running the installer again as it should be
// finishes the job.
TEST(EndToEnd, AnExtractionThatCannotWriteLeavesNothingAndTheRetryFinishes)
{
    const std::string nowhere = "C:\\no-such-folder\\temp";
    InstallResult failed = RunInstaller(kSetup, false, nullptr, {"TMP=" + nowhere, "TEMP=" + nowhere});
    EXPECT_EQ(1u, failed.exitCode);
    ASSERT_EQ(3u, failed.boxes.size()) << Describe(failed.boxes);
    for (const robot::MessageBoxView& box : failed.boxes) {
        EXPECT_EQ("Error", box.caption);
        EXPECT_NE(std::string::npos, box.text.find(nowhere)) << box.text;
    }
    EXPECT_FALSE(failed.previewShown);
    for (const char* file : {"quadrix.dll", "orbelle.scr", "unglimex.exe"})
        EXPECT_FALSE(support::FileExists(InWindows(file))) << file;
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kDatabase));
    EXPECT_EQ(0, CountWindows("QuadrixService"));

    InstallResult retry = RunInstaller(kSetup, false);
    EXPECT_EQ(1u, retry.exitCode);
    EXPECT_TRUE(retry.boxes.empty()) << Describe(retry.boxes);
    EXPECT_TRUE(retry.previewShown);
    ExpectTheInstalledMachine();
}

// The package as an older release would carry it: a copy of the installer
// whose three programs have lower version texts (their records patched in
// place, same lengths), written back with the resource-update functions.
bool PatchText(std::vector<std::uint8_t>* bytes, const char* from, const char* to)
{
    std::vector<std::uint8_t> wideFrom, wideTo;
    for (const char* p = from; *p; ++p)
        wideFrom.insert(wideFrom.end(), {static_cast<std::uint8_t>(*p), 0});
    for (const char* p = to; *p; ++p)
        wideTo.insert(wideTo.end(), {static_cast<std::uint8_t>(*p), 0});
    bool patched = false;
    for (auto at = bytes->begin();
         (at = std::search(at, bytes->end(), wideFrom.begin(), wideFrom.end())) != bytes->end();) {
        at = std::copy(wideTo.begin(), wideTo.end(), at);
        patched = true;
    }
    return patched;
}

BOOL CALLBACK KeepLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR found)
{
    *reinterpret_cast<WORD*>(found) = language;
    return FALSE;
}

std::string BuildOlderPackage()
{
    struct Older {
        const char* resource;
        const char* version;
        const char* older;
    };
    const Older programs[] = {{"RESOURCE_QUADRIX", "3, 0,1, 0", "2, 0,1, 0"},
                              {"RESOURCE_SAVER", "1.0.0.0", "0.9.0.0"},
                              {"RESOURCE_UNGLIMEX", "1.2.0.0", "1.1.0.0"}};
    std::string older = support::TempDirectory() + "older-setup.exe";
    EXPECT_TRUE(CopyFileA(kSetup.c_str(), older.c_str(), FALSE));
    WORD language = 0;
    if (HMODULE data = LoadLibraryExA(kSetup.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
        EnumResourceLanguagesA(data, RT_RCDATA, "RESOURCE_QUADRIX", KeepLanguage,
                               reinterpret_cast<LONG_PTR>(&language));
        FreeLibrary(data);
    }
    HANDLE update = BeginUpdateResourceA(older.c_str(), FALSE);
    EXPECT_NE(nullptr, update);
    for (const Older& program : programs) {
        std::vector<std::uint8_t> bytes = support::ResourceBytes(kSetup, program.resource);
        EXPECT_TRUE(PatchText(&bytes, program.version, program.older)) << program.resource;
        EXPECT_TRUE(UpdateResourceA(update, RT_RCDATA, program.resource, language, bytes.data(),
                                    static_cast<DWORD>(bytes.size())));
    }
    EXPECT_TRUE(EndUpdateResourceA(update, FALSE));
    return older;
}

int AnswerYes(const robot::MessageBoxView& box)
{
    bool question = std::find(box.buttons.begin(), box.buttons.end(), IDYES) != box.buttons.end();
    return question ? IDYES : box.buttons.front();
}

TEST(EndToEnd, AnOlderPackageIsUpgradedOnYesAndItsServiceStoppedFirst)
{
    std::string older = BuildOlderPackage();
    InstallResult first = RunInstaller(older, false);
    ASSERT_EQ(1u, first.exitCode);
    EXPECT_TRUE(first.boxes.empty()) << Describe(first.boxes);
    ASSERT_TRUE(robot::WaitFor([] { return AgentDetect() == 1; }, kWindowMs));
    // The old Preview's saver ends a moment after its installer: a user
    // starting the next package finds it gone.
    ASSERT_TRUE(support::WaitUntilNoProcess("orbelle.scr", kWindowMs));
    DWORD oldServiceId = 0;
    GetWindowThreadProcessId(FindWindowA("QuadrixService", nullptr), &oldServiceId);
    HANDLE oldService = OpenProcess(SYNCHRONIZE, FALSE, oldServiceId);
    ASSERT_NE(nullptr, oldService);

    InstallResult upgrade = RunInstaller(kSetup, false, AnswerYes);
    EXPECT_EQ(1u, upgrade.exitCode);
    std::vector<std::string> questions;
    for (const robot::MessageBoxView& box : upgrade.boxes)
        questions.push_back(box.caption + ": " + box.text);
    const char* ask = " on your system. May I try to upgrade, please?";
    EXPECT_EQ((std::vector<std::string>{
                  std::string("Install: You have an out-of-date version of Quadrix") + ask,
                  std::string("Install: You have an out-of-date version of the Orbelle screen saver") + ask,
                  std::string("Install: You have an out-of-date version of uninstall support") + ask}),
              questions);
    // The old copy's service ended when it was told to, before its file was
    // replaced; the new copy runs one of its own.
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(oldService, 0));
    CloseHandle(oldService);
    ExpectTheInstalledMachine();
}

// The installer stopped the moment quadrix.dll lands (as by a power cut or a
// task list), before it set the module up; run again to its end, it sets the
// module up although the same version is in place.
TEST(EndToEnd, ARunStoppedAsTheModuleLandsIsRepairedByTheNext)
{
    const std::string module = InWindows("quadrix.dll");
    robot::Child stopped = robot::Start("\"" + kSetup + "\"");
    HWND prelim = robot::WaitForDialog("Orbelle screen saver", kWindowMs, stopped.id);
    ASSERT_NE(nullptr, prelim);
    robot::Press(prelim, IDOK);
    ASSERT_TRUE(robot::WaitFor([&] { return support::FileExists(module); }, kWindowMs));
    TerminateProcess(stopped.process, 9);
    robot::Finish(stopped);
    ASSERT_TRUE(support::FileExists(module));
    ExpectInstalledFrom("quadrix.dll", "RESOURCE_QUADRIX");
    // Stopped before the set-up: no shortcut and no page, the module alone.
    ASSERT_FALSE(support::FileExists(StartupFolder() + "\\Quadrix.lnk"));
    ASSERT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kPageKey));

    InstallResult again = RunInstaller(kSetup, false);
    EXPECT_EQ(1u, again.exitCode);
    EXPECT_TRUE(again.boxes.empty()) << Describe(again.boxes);
    EXPECT_TRUE(again.previewShown);
    ExpectTheInstalledMachine();
}

} // namespace
