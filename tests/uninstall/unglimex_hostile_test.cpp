// unglimex.exe against a hostile database and command line: it deletes only
// what a token names, refuses the system's own trees and odd tokens, and
// every run ends. Real processes in a fresh prefix, with neighbours planted
// around every target that must survive.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "support.h"
#include "unglimex_harness.h"

using namespace unglimex;

namespace {

const std::string kProbe = support::WinPath(PROBE);

// A registry link at linkPath (under HKEY_CURRENT_USER) to the key with the
// native name target ("\Registry\Machine\...").
void CreateLink(const std::wstring& linkPath, const std::wstring& target)
{
    HKEY link;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(HKEY_CURRENT_USER, linkPath.c_str(), 0, nullptr,
                              REG_OPTION_CREATE_LINK, KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr,
                              &link, nullptr));
    LONG set = RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK,
                              reinterpret_cast<const BYTE*>(target.data()),
                              static_cast<DWORD>(target.size() * sizeof(wchar_t)));
    RegCloseKey(link);
    ASSERT_EQ(ERROR_SUCCESS, set);
}

constexpr char kTarget[] = "Software\\Tolvar\\Target";

// The native name of kTarget under HKEY_LOCAL_MACHINE as this process sees
// it: a 32-bit process on 64-bit Windows has its HKLM\Software keys under
// Wow6432Node, and a link's target is a native name, never redirected.
std::wstring TargetNativeName()
{
    BOOL wow64 = FALSE;
    IsWow64Process(GetCurrentProcess(), &wow64);
    return wow64 ? L"\\Registry\\Machine\\Software\\Wow6432Node\\Tolvar\\Target"
                 : L"\\Registry\\Machine\\Software\\Tolvar\\Target";
}
const std::wstring kTargetNative = TargetNativeName();

// A subkey whose name does not survive the way to ANSI and back: two CJK
// characters enumerate as "??", and no key of that name exists.
void CreateUnopenableSubkey(const std::wstring& parent)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, (parent + L"\\\x6f22\x5b57").c_str(),
                                             0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegCloseKey(key);
}

class Hostile : public InstalledProgram {};

// The links the removal must not follow: the system makes them, and opening
// with REG_OPTION_OPEN_LINK finds the link itself, not its target.
TEST_F(Hostile, RegistryLinksAreMadeAndOpenedAsTheSystemDoes)
{
    WriteString(HKEY_LOCAL_MACHINE, std::string(kTarget) + "\\Inner", "kept", "1");
    CreateLink(L"Software\\probe-link", kTargetNative);
    // Followed: the target's subkey shows through the link.
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\probe-link\\Inner"));
    // Not followed: the link itself, which holds its target's name.
    HKEY link;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\probe-link",
                                           REG_OPTION_OPEN_LINK, KEY_READ, &link));
    DWORD type = 0;
    LONG found = RegQueryValueExA(link, "SymbolicLinkValue", nullptr, &type, nullptr, nullptr);
    RegCloseKey(link);
    EXPECT_EQ(ERROR_SUCCESS, found);
    EXPECT_EQ(static_cast<DWORD>(REG_LINK), type);
}

// Arguments that must never be stored: each refused with its box, nothing
// written; and a clone told to wait for itself ends at once.
TEST_F(Hostile, CommandsRefuseWhatMustNeverBeStored)
{
    const std::string badReg = "Badly formed reg argument\r\n";
    const std::string mustSpecify = "\r\nMust specify root then key";
    const struct {
        std::string arguments;
        std::string caption; // empty: no box at all
        std::string text;
    } cases[] = {
        {"/add t *HKEY_LOCAL_MACHINE\\Software", "Unglimex argument error",
         badReg + "*HKEY_LOCAL_MACHINE\\Software" + mustSpecify},
        {"/add t *HKEY_CLASSES_ROOT\\CLSID", "Unglimex argument error",
         badReg + "*HKEY_CLASSES_ROOT\\CLSID" + mustSpecify},
        {"/add t *HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
         "Unglimex argument error",
         badReg + "*HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion" +
             mustSpecify},
        {"/add t *HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services",
         "Unglimex argument error",
         badReg + "*HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services" + mustSpecify},
        {"/add t *HKEY_CURRENT_USER\\Control Panel\\Desktop", "Unglimex argument error",
         badReg + "*HKEY_CURRENT_USER\\Control Panel\\Desktop" + mustSpecify},
        {"/add t *HKEY_CURRENT_USER\\Software\\Classes", "Unglimex argument error",
         badReg + "*HKEY_CURRENT_USER\\Software\\Classes" + mustSpecify},
        {"/desc a\\b Nested", "Unglimex", ""},
        {"/desc \\ x", "Unglimex", ""},
        {"/add .. C:\\f", "Unglimex", ""},
        {"/add . C:\\f", "Unglimex", ""},
        {"/add a\\b C:\\f", "Unglimex", ""},
        {"/autodel -1 \"" + InWindows("neighbour.txt") + "\"", "", ""},
    };
    Values uninstallKey = ReadValues(HKEY_LOCAL_MACHINE, std::string(kEntries));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        RunResult run = RunUnglimex(c.arguments);
        EXPECT_EQ(0u, run.exitCode);
        if (c.caption.empty()) {
            EXPECT_TRUE(run.boxes.empty());
            continue;
        }
        ASSERT_EQ(1u, run.boxes.size());
        EXPECT_EQ(c.caption, run.boxes[0].caption);
        EXPECT_EQ(c.text.empty() ? Usage(ProgramPath() + " " + c.arguments) : c.text,
                  run.boxes[0].text);
    }
    EXPECT_EQ(std::vector<std::string>(), SubkeyNames(HKEY_LOCAL_MACHINE, kDatabase));
    for (const char* entry : {"a", "t", "..", "."})
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kEntries) + entry)) << entry;
    EXPECT_EQ(uninstallKey, ReadValues(HKEY_LOCAL_MACHINE, std::string(kEntries)));

    // A tree of the vendor's own is fine.
    RunResult run = RunUnglimex("/add t *HKEY_CLASSES_ROOT\\CLSID\\{0D0E0F00-1111-2222-3333-444455556666}");
    EXPECT_TRUE(run.boxes.empty());
    run = RunUnglimex("/add t *HKEY_LOCAL_MACHINE\\Software\\Vendor");
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_EQ(2u, TokenValues("t").size());
}

// One token per row, written by hand as another program or an older copy
// might have: the run ends, reports what it must, deletes only what the
// token names, and goes (or stays) as the row says.
struct RemovalCase {
    const char* token;
    std::function<void(const std::string& log)> plant; // the targets and their neighbours
    std::vector<std::string> items;                    // value names, data " "
    std::vector<std::pair<std::string, std::string>> commands;
    std::vector<std::string> reports; // the boxes between the question and the end, any order
    bool tokenGoes;
    std::function<void(const std::string& log)> check;
};

std::vector<std::string> ReportTexts(const RunResult& run)
{
    std::vector<std::string> texts;
    for (std::size_t i = 1; i + 1 < run.boxes.size(); ++i)
        texts.push_back(run.boxes[i].caption + ": " + run.boxes[i].text);
    std::sort(texts.begin(), texts.end());
    return texts;
}

TEST_F(Hostile, ARemovalDeletesOnlyWhatItsTokenNames)
{
    WriteString(HKEY_LOCAL_MACHINE, TokenPath("keeper"), "", "Keeper");
    const std::string w = support::WindowsDirectory();
    const std::string settings = "Software\\glimmex\\orbelle";
    const std::string key = "*HKEY_CURRENT_USER\\" + settings;
    const std::string notFound = support::SystemText(ERROR_FILE_NOT_FOUND);
    const std::string refusedKey = "Uninstall error: The key ";
    const std::string refusal = " was not deleted.\r\n" + support::SystemText(ERROR_BADKEY);
    const std::string notAFile = " cannot be a file and was left alone.\r\n*";
    const std::string longName = w + "\\" + std::string(2000, 'n');
    const std::string longCommand = std::string(1500, 'c');

    // The link went with the tree; the key it pointed to stays whole.
    const auto linkTargetSurvives = [&](const std::string&) {
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, settings));
        EXPECT_EQ((Values{{"kept", "1"}}),
                  ReadValues(HKEY_LOCAL_MACHINE, std::string(kTarget) + "\\Inner"));
    };
    const RemovalCase cases[] = {
        {"unopenable",
         [&](const std::string&) {
             WriteString(HKEY_CURRENT_USER, settings + "\\A", "v", "1");
             CreateUnopenableSubkey(L"Software\\glimmex\\orbelle");
             WriteString(HKEY_CURRENT_USER, settings + "\\Z", "v", "1");
         },
         {key},
         {},
         {"Uninstall error: The key HKEY_CURRENT_USER\\" + settings + " was not deleted.\r\n" +
              notFound,
          "Uninstall error: The subkey ?? was not deleted successfully.\r\n" + notFound,
          "Uninstall error: Unable to open ?? in order to remove it.\r\n" + notFound},
         false,
         [&](const std::string&) {
             // The walk went on past the failure: only the unopenable key is left.
             EXPECT_EQ((std::vector<std::string>{"??"}), SubkeyNames(HKEY_CURRENT_USER, settings));
             RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\glimmex\\orbelle\\\x6f22\x5b57");
             RegDeleteKeyA(HKEY_CURRENT_USER, settings.c_str());
         }},
        {"link-inside",
         [&](const std::string&) {
             WriteString(HKEY_LOCAL_MACHINE, std::string(kTarget) + "\\Inner", "kept", "1");
             WriteString(HKEY_CURRENT_USER, settings + "\\Rings", "v", "1");
             CreateLink(L"Software\\glimmex\\orbelle\\Link", kTargetNative);
         },
         {key},
         {},
         {},
         true,
         linkTargetSurvives},
        {"link-named",
         [&](const std::string&) {
             WriteString(HKEY_LOCAL_MACHINE, std::string(kTarget) + "\\Inner", "kept", "1");
             CreateLink(L"Software\\glimmex\\orbelle", kTargetNative);
         },
         {key},
         {},
         {},
         true,
         linkTargetSurvives},
        {"system",
         nullptr,
         {"*HKEY_LOCAL_MACHINE\\Software", "*HKEY_CLASSES_ROOT\\CLSID", "*HKEY_CURRENT_USER\\",
          "*HKEY_CURRENT_USER\\Control Panel\\Desktop",
          "*HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
         {},
         {refusedKey + "HKEY_CLASSES_ROOT\\CLSID" + refusal,
          refusedKey + "HKEY_CURRENT_USER\\" + refusal,
          refusedKey + "HKEY_CURRENT_USER\\Control Panel\\Desktop" + refusal,
          refusedKey + "HKEY_LOCAL_MACHINE\\Software" + refusal,
          refusedKey + "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall" +
              refusal},
         false, // kept, and said so: the token stays
         [&](const std::string&) {
             EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion"));
             EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "CLSID"));
             EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Control Panel\\Desktop"));
         }},
        {"never-a-file",
         [&](const std::string&) {
             CreateDirectoryA(InWindows("folder").c_str(), nullptr);
             WriteTextFile(InWindows("folder\\inside.txt"), "inside");
         },
         {"C:\\bad|name.txt", w + "\\*.txt", w + "\\folder", w + "\\" + std::string(300, 'n'),
          longName},
         {},
         {"Uninstall error: The item " + InWindows("folder") +
              " is a folder, not a file, and was left alone.",
          "Uninstall error: The item " + w + "\\" + std::string(300, 'n') + notAFile +
              support::SystemText(ERROR_FILENAME_EXCED_RANGE),
          ("Uninstall error: The item " + longName).substr(0, 17 + 1023),
          "Uninstall error: The item " + w + "\\*.txt" + notAFile +
              support::SystemText(ERROR_INVALID_NAME),
          "Uninstall error: The item C:\\bad|name.txt" + notAFile +
              support::SystemText(ERROR_INVALID_NAME)},
         true,
         [&](const std::string&) {
             EXPECT_EQ("inside", ReadText(InWindows("folder\\inside.txt")));
         }},
        {"long-command",
         nullptr,
         {},
         {{"_cmd1", longCommand}, {"_cmd2", kProbe + " " + Log() + " c2 0"}},
         {"Unglimex error: Problem reading cleanup _cmd1\r\n" + support::SystemText(ERROR_MORE_DATA)},
         false,
         [&](const std::string& log) {
             EXPECT_NE(std::string::npos, ReadText(log).find("c2 start="));
             EXPECT_EQ(3u, TokenValues("long-command").size()); // the commands stay for a retry
         }},
        {"foreign",
         [&](const std::string&) {
             WriteString(HKEY_LOCAL_MACHINE, std::string(kEntries) + "foreign", "DisplayName",
                         "Someone else");
             WriteString(HKEY_LOCAL_MACHINE, std::string(kEntries) + "foreign", "UninstallString",
                         "C:\\Other\\uninstall.exe");
         },
         {InWindows("foreign.dat")},
         {},
         {},
         true,
         [&](const std::string&) {
             EXPECT_EQ((Values{{"DisplayName", "Someone else"},
                               {"UninstallString", "C:\\Other\\uninstall.exe"}}),
                       EntryValues("foreign"));
         }},
    };
    for (const RemovalCase& c : cases) {
        SCOPED_TRACE(c.token);
        DeleteFileA(Log().c_str());
        if (c.plant)
            c.plant(Log());
        WriteString(HKEY_LOCAL_MACHINE, TokenPath(c.token), "", std::string(999, 'D'));
        for (const std::string& item : c.items)
            WriteString(HKEY_LOCAL_MACHINE, TokenPath(c.token), item, " ");
        for (const auto& command : c.commands)
            WriteString(HKEY_LOCAL_MACHINE, TokenPath(c.token), command.first, command.second);

        DWORD start = GetTickCount();
        RunResult run = RunUnglimex(std::string("/remove ") + c.token);
        EXPECT_LT(GetTickCount() - start, 40000u) << "the run ends within seconds";
        ASSERT_GE(run.boxes.size(), 2u);
        // A description of 999 characters leaves the question whole.
        const std::string question = "Are you sure you want to continue?";
        EXPECT_EQ(question, run.boxes[0].text.substr(run.boxes[0].text.size() - question.size()));
        std::vector<std::string> reports = c.reports;
        std::sort(reports.begin(), reports.end());
        EXPECT_EQ(reports, ReportTexts(run));
        EXPECT_EQ(c.tokenGoes ? "Uninstall" : "Not remove all", run.boxes.back().caption);
        EXPECT_EQ(!c.tokenGoes, KeyExists(HKEY_LOCAL_MACHINE, TokenPath(c.token)));
        if (c.check)
            c.check(Log());
        // What was planted goes again before the next row.
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTarget);
    }
}

TEST_F(Hostile, ARunKilledHalfwayIsFinishedByTheNext)
{
    WriteString(HKEY_LOCAL_MACHINE, TokenPath("keeper"), "", "Keeper");
    WriteTextFile(InWindows("half.dat"), "half");
    WriteString(HKEY_CURRENT_USER, "Software\\glimmex\\orbelle\\Rings", "v", "1");
    RunUnglimex("/desc half Halfway");
    RunUnglimex("/add half _cmd1 " + kProbe + " " + Log() + " c1 8000");
    RunUnglimex("/add half " + InWindows("half.dat"));
    RunUnglimex("/add half *HKEY_CURRENT_USER\\Software\\glimmex\\orbelle");

    robot::Child child = robot::Start(ProgramPath() + " /remove half");
    ASSERT_TRUE(child.process);
    robot::MessageBoxView question = robot::WaitForMessageBox("Remove program", 30000, child.id);
    ASSERT_TRUE(question.window);
    robot::Press(question.window, IDYES);
    Sleep(1500); // into the cleanup command's eight seconds
    TerminateProcess(child.process, 9);
    robot::Finish(child);
    EXPECT_TRUE(support::FileExists(InWindows("half.dat")));
    EXPECT_EQ(4u, TokenValues("half").size());

    RunResult run = RunUnglimex("/remove half");
    ASSERT_EQ(2u, run.boxes.size());
    EXPECT_EQ("Halfway has been removed.", run.boxes[1].text);
    EXPECT_FALSE(support::FileExists(InWindows("half.dat")));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\glimmex\\orbelle"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, TokenPath("half")));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kEntries) + "half"));
}

TEST_F(Hostile, TwoRemovalsAtOnceLeaveACleanState)
{
    for (const char* token : {"one", "two"}) {
        WriteTextFile(InWindows(std::string(token) + ".dat"), token);
        RunUnglimex(std::string("/desc ") + token + " Product " + token);
        RunUnglimex(std::string("/add ") + token + " " + InWindows(std::string(token) + ".dat"));
        RunUnglimex(std::string("/add ") + token + " *HKEY_CURRENT_USER\\Software\\glimmex\\" +
                    token);
        WriteString(HKEY_CURRENT_USER, std::string("Software\\glimmex\\") + token + "\\inner", "v",
                    "1");
    }
    RunResult runs[2];
    std::thread second([&] { runs[1] = RunUnglimex("/remove two"); });
    runs[0] = RunUnglimex("/remove one");
    second.join();
    for (const RunResult& run : runs) {
        ASSERT_EQ(2u, run.boxes.size());
        EXPECT_EQ("Uninstall", run.boxes[1].caption) << run.boxes[1].text;
    }
    for (const char* token : {"one", "two"}) {
        EXPECT_FALSE(support::FileExists(InWindows(std::string(token) + ".dat")));
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, std::string("Software\\glimmex\\") + token));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kEntries) + token));
    }
    // The last of the two took the database and the program with it.
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kDatabase));
    EXPECT_TRUE(robot::WaitFor([] { return !support::FileExists(ProgramPath()); }, 20000));
}

} // namespace

namespace {

constexpr char kAnotherRemoval[] =
    "Another removal is running. Please try again when it has finished.";

// The prefix restarted as Windows restarts: a new session's wineboot does
// the deletions left to the next start (pending file operations, and the
// [rename] section of wininit.ini).
void RestartWindows()
{
    robot::Child boot = robot::Start("wineboot.exe -r");
    ASSERT_TRUE(boot.process);
    EXPECT_NE(STILL_ACTIVE, robot::WaitExit(boot, 60000));
    robot::Finish(boot);
}

void RegisterLast(const std::string& token)
{
    WriteTextFile(InWindows(token + ".dat"), token);
    RunUnglimex("/desc " + token + " Product " + token);
    RunUnglimex("/add " + token + " " + InWindows(token + ".dat"));
}

std::string Texts(const RunResult& run)
{
    std::string texts;
    for (const robot::MessageBoxView& box : run.boxes)
        texts += "[" + box.caption + ": " + box.text + "] ";
    return texts;
}

} // namespace

// The second of two removals of one product waits for the first and then
// finds nothing left to remove, instead of failing at each item.
TEST_F(Hostile, TwoRemovalsOfOneProductAtOnceRemoveItOnce)
{
    WriteString(HKEY_LOCAL_MACHINE, TokenPath("keeper"), "", "Keeper");
    RegisterLast("one");
    RunUnglimex("/add one *HKEY_CURRENT_USER\\Software\\glimmex\\one");
    WriteString(HKEY_CURRENT_USER, "Software\\glimmex\\one\\inner", "v", "1");
    RunResult runs[2];
    std::thread second([&] { runs[1] = RunUnglimex("/remove one"); });
    runs[0] = RunUnglimex("/remove one");
    second.join();
    int removed = 0, notFound = 0;
    for (const RunResult& run : runs) {
        SCOPED_TRACE(Texts(run));
        if (run.boxes.size() == 2 && run.boxes[1].text == "Product one has been removed.") {
            ++removed;
        } else {
            ASSERT_EQ(1u, run.boxes.size());
            EXPECT_EQ("Uninstall error", run.boxes[0].caption);
            EXPECT_EQ("Unable to remove: cannot find one uninstall data\r\n" +
                          support::SystemText(ERROR_FILE_NOT_FOUND),
                      run.boxes[0].text);
            ++notFound;
        }
    }
    EXPECT_EQ(1, removed);
    EXPECT_EQ(1, notFound);
    EXPECT_FALSE(support::FileExists(InWindows("one.dat")));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\glimmex\\one"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, TokenPath("one")));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kEntries) + "one"));
}

// A removal left at a box holds back another, which says so and touches
// nothing; once both have had their turn, the last one takes the program.
TEST_F(Hostile, ARemovalLeftAtABoxKeepsTheNextFromStarting)
{
    RegisterLast("last");
    CreateDirectoryA(InWindows("stale-folder").c_str(), nullptr);
    RunUnglimex("/desc stale Stale");
    RunUnglimex("/add stale " + InWindows("stale-folder"));

    robot::Child stale = robot::Start(ProgramPath() + " /remove stale");
    ASSERT_TRUE(stale.process);
    robot::MessageBoxView question = robot::WaitForMessageBox("Remove program", 30000, stale.id);
    ASSERT_TRUE(question.window);
    robot::Press(question.window, IDYES);
    // The folder is left alone, and said so: the run waits at that box.
    robot::MessageBoxView folder = robot::WaitForMessageBox("Uninstall error", 30000, stale.id);
    ASSERT_TRUE(folder.window);

    RunResult refused = RunUnglimex("/remove last");
    ASSERT_EQ(1u, refused.boxes.size()) << Texts(refused);
    EXPECT_EQ("Uninstall error", refused.boxes[0].caption);
    EXPECT_EQ(kAnotherRemoval, refused.boxes[0].text);
    EXPECT_EQ((std::vector<std::string>{"red"}), refused.icons);
    EXPECT_EQ(2u, TokenValues("last").size());
    EXPECT_TRUE(support::FileExists(InWindows("last.dat")));

    robot::Press(folder.window, IDOK);
    robot::MessageBoxView done = robot::WaitForMessageBox("Uninstall", 30000, stale.id);
    ASSERT_TRUE(done.window);
    EXPECT_EQ("Stale has been removed.", done.text);
    robot::Press(done.window, IDOK);
    EXPECT_NE(STILL_ACTIVE, robot::WaitExit(stale, 30000));
    robot::Finish(stale);
    EXPECT_TRUE(support::FileExists(ProgramPath())) << "a product is still registered";

    RunResult last = RunUnglimex("/remove last");
    ASSERT_EQ(2u, last.boxes.size()) << Texts(last);
    EXPECT_EQ("Product last has been removed.", last.boxes[1].text);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kDatabase));
    EXPECT_TRUE(robot::WaitFor([] { return !support::FileExists(ProgramPath()); }, 20000));
    RemoveDirectoryA(InWindows("stale-folder").c_str());
}

// The clone stopped before it took over (as by a task list): the helper is
// left to the next start of Windows, which deletes it.
TEST_F(Hostile, AStoppedCloneLeavesTheHelperToTheNextStart)
{
    RegisterLast("last");
    std::atomic<bool> stopped{false};
    std::thread stopper([&] {
        DWORD start = GetTickCount();
        while (!stopped && GetTickCount() - start < 60000) {
            for (const support::ProcessEntry& process : support::Processes()) {
                const std::string& name = process.fileName;
                if (_strnicmp(name.c_str(), "Ung", 3) != 0 || name.size() < 4 ||
                    _stricmp(name.c_str() + name.size() - 4, ".tmp") != 0)
                    continue;
                HANDLE clone = OpenProcess(PROCESS_TERMINATE, FALSE, process.id);
                if (clone) {
                    stopped = TerminateProcess(clone, 9) != FALSE;
                    CloseHandle(clone);
                }
            }
            Sleep(1);
        }
    });
    support::CreationWatch watch(support::TempDirectory());
    RunResult run = RunUnglimex("/remove last");
    stopper.join();
    ASSERT_TRUE(stopped);
    ASSERT_EQ(3u, run.boxes.size()) << Texts(run);
    EXPECT_EQ("Product last has been removed.", run.boxes[1].text);
    EXPECT_EQ("Uninstall", run.boxes[2].caption);
    EXPECT_EQ(ProgramPath() + " will be deleted when Windows restarts.", run.boxes[2].text);
    EXPECT_EQ("none", run.icons[2]);
    EXPECT_TRUE(support::FileExists(ProgramPath()));
    // The stopped clone's copy is no longer in use and went at once.
    for (const std::string& name : watch.Stop()) {
        if (_strnicmp(name.c_str(), "Ung", 3) == 0) {
            EXPECT_FALSE(support::FileExists(support::TempDirectory() + name)) << name;
        }
    }

    RestartWindows();
    EXPECT_FALSE(support::FileExists(ProgramPath()));
}

// A helper that cannot even copy itself (no temporary folder) is left to the
// next start too, the way each family of Windows does it. The Windows 95
// family is Wine told to be Windows 95 for the helper alone; there
// WININIT.EXE does what wineboot does here, before Windows starts.
TEST_F(Hostile, AHelperThatCannotCopyItselfGoesAtTheNextStart)
{
    const std::string nowhere = "C:\\no-such-folder\\temp";
    const std::string wininit = InWindows("wininit.ini");
    const std::string other = InWindows("other-setup.tmp");
    const std::string appDefaults = "Software\\Wine\\AppDefaults\\unglimex.exe";
    for (bool windows95 : {false, true}) {
        SCOPED_TRACE(windows95 ? "Windows 95 family" : "NT family");
        InstallProgram();
        RegisterLast("last");
        WriteTextFile(other, "another program's leftover");
        char shortOther[MAX_PATH] = "";
        GetShortPathNameA(other.c_str(), shortOther, sizeof shortOther);
        if (windows95) {
            WriteString(HKEY_CURRENT_USER, appDefaults, "Version", "win95");
            // Another installer's line, which must stay.
            WriteTextFile(wininit, std::string("[rename]\r\nNUL=") + shortOther + "\r\n");
        }
        RunResult run = RunUnglimex("/remove last", DefaultAnswer,
                                    support::EnvironmentWith({"TMP=" + nowhere, "TEMP=" + nowhere}));
        RegDeleteTreeA(HKEY_CURRENT_USER, appDefaults.c_str());
        ASSERT_EQ(4u, run.boxes.size()) << Texts(run);
        EXPECT_EQ("Unglimex error", run.boxes[2].caption);
        EXPECT_EQ(0u, run.boxes[2].text.find("Problem copying unglimex from " + ProgramPath()))
            << run.boxes[2].text;
        EXPECT_EQ(ProgramPath() + " will be deleted when Windows restarts.", run.boxes[3].text);
        if (windows95) {
            char shortProgram[MAX_PATH] = "";
            GetShortPathNameA(ProgramPath().c_str(), shortProgram, sizeof shortProgram);
            std::string text = ReadText(wininit);
            EXPECT_NE(std::string::npos, text.find("NUL=" + std::string(shortProgram))) << text;
            EXPECT_NE(std::string::npos, text.find("NUL=" + std::string(shortOther))) << text;
        }
        EXPECT_TRUE(support::FileExists(ProgramPath()));

        RestartWindows();
        EXPECT_FALSE(support::FileExists(ProgramPath()));
        EXPECT_EQ(!windows95, support::FileExists(other));
        DeleteFileA(other.c_str());
        DeleteFileA(InWindows("wininit.bak").c_str());
    }
}
