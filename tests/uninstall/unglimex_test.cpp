// unglimex.exe as the installer and the add/remove-programs list run it: a
// real process in a fresh prefix, its boxes answered by the robot, the
// registry and the files checked afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "common/paths.h"
#include "installer/finish/register_lines.h"
#include "support.h"
#include "unglimex_harness.h"

using namespace unglimex;

namespace {

const std::string kProbe = support::WinPath(PROBE);

void ExpectBox(const robot::MessageBoxView& box, const std::string& caption,
               const std::string& text, const std::vector<int>& buttons = {IDOK})
{
    EXPECT_EQ(caption, box.caption);
    EXPECT_EQ(text, box.text);
    EXPECT_EQ(buttons, box.buttons) << box.text;
}

// The installer's seven lines for this prefix's Windows directory.
std::vector<std::string> InstallerLines()
{
    std::string windows = support::WindowsDirectory();
    char uninstaller[kPathSize], saver[kPathSize], hotCorners[kPathSize];
    JoinPath(uninstaller, sizeof uninstaller, windows.c_str(), "unglimex.exe");
    JoinPath(saver, sizeof saver, windows.c_str(), "orbelle.scr");
    JoinPath(hotCorners, sizeof hotCorners, windows.c_str(), "quadrix.dll");
    RegistrationTexts texts = {uninstaller, "orbelle.scr", "Orbelle screen saver",
                               saver,       "orbelle",     hotCorners};
    std::vector<std::string> lines;
    for (int i = 0; i < kRegistrationLineCount; ++i) {
        char line[1000];
        EXPECT_TRUE(FormatRegistrationLine(static_cast<RegistrationLine>(i), texts, line, sizeof line));
        lines.push_back(line);
    }
    return lines;
}

void RunQuietly(const std::string& arguments)
{
    RunResult run = RunUnglimex(arguments);
    EXPECT_EQ(0u, run.exitCode) << arguments;
    for (const robot::MessageBoxView& box : run.boxes)
        ADD_FAILURE() << arguments << ": unexpected box " << box.caption << ": " << box.text;
}

void RunInstallerLines(int first = 0, int count = kRegistrationLineCount)
{
    std::vector<std::string> lines = InstallerLines();
    for (int i = first; i < first + count; ++i) {
        RunResult run = RunCommandLine(lines[i]);
        EXPECT_EQ(0u, run.exitCode) << lines[i];
        EXPECT_TRUE(run.boxes.empty()) << lines[i];
    }
}

// A token that stays, so that the database is not emptied by a test.
void RegisterKeeper()
{
    WriteString(HKEY_LOCAL_MACHINE, std::string(kDatabase) + "\\keeper", "", "Keeper");
}

// Lines of the probe's log, by tag.
std::map<std::string, std::vector<std::string>> ProbeLog(const std::string& log)
{
    std::map<std::string, std::vector<std::string>> lines;
    std::istringstream in(ReadText(log));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines[line.substr(0, line.find(' '))].push_back(line);
    }
    return lines;
}

unsigned long Field(const std::string& line, const std::string& name)
{
    std::size_t at = line.find(" " + name + "=");
    return at == std::string::npos ? 0 : std::stoul(line.substr(at + name.size() + 2));
}

std::string TextField(const std::string& line, const std::string& name)
{
    std::size_t at = line.find(" " + name + "=");
    if (at == std::string::npos)
        return "";
    std::string rest = line.substr(at + name.size() + 2);
    return name == "line" ? rest : rest.substr(0, rest.find(' '));
}

class Unglimex : public InstalledProgram {
protected:
    std::string ProbeCommand(const std::string& tag, const std::string& paths = "") const
    {
        return kProbe + " " + Log() + " " + tag + " 0" + (paths.empty() ? "" : " " + paths);
    }
};

TEST_F(Unglimex, TheInstallerLinesLeaveTheDatabaseAndEntries)
{
    const std::string w = support::WindowsDirectory();
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round); // the same facts a second time change nothing
        RunInstallerLines();
        std::vector<std::string> tokens = SubkeyNames(HKEY_LOCAL_MACHINE, kDatabase);
        std::sort(tokens.begin(), tokens.end());
        EXPECT_EQ((std::vector<std::string>{"orbelle.scr", "quadrix.dll"}), tokens);
        EXPECT_EQ((Values{{"", "Orbelle screen saver"},
                          {w + "\\orbelle.scr", " "},
                          {"*HKEY_CURRENT_USER\\Software\\glimmex\\orbelle", " "}}),
                  TokenValues("orbelle.scr"));
        EXPECT_EQ((Values{{"", "Hot Corners"},
                          {w + "\\quadrix.dll", " "},
                          {"_cmd1", "rundll32.exe " + w + "\\quadrix.dll,UninstallSilently"},
                          {"_cmd2", "sleep 500"}}),
                  TokenValues("quadrix.dll"));
        EXPECT_EQ((Values{{"DisplayName", "Orbelle screen saver"},
                          {"UninstallString", w + "\\unglimex.exe /remove orbelle.scr"}}),
                  EntryValues("orbelle.scr"));
        EXPECT_EQ((Values{{"DisplayName", "Hot Corners"},
                          {"UninstallString", w + "\\unglimex.exe /remove quadrix.dll"}}),
                  EntryValues("quadrix.dll"));
    }
}

TEST_F(Unglimex, TheListingAfterAFullInstallation)
{
    RunInstallerLines();
    RunResult run = RunUnglimex("");
    EXPECT_EQ(0u, run.exitCode);
    ASSERT_EQ(1u, run.boxes.size());
    // One line per token in the registry's order, its value names in theirs.
    std::string expected;
    for (const std::string& token : SubkeyNames(HKEY_LOCAL_MACHINE, kDatabase)) {
        expected += TokenValues(token)[""] + " - (" + token + ") ";
        for (const std::string& name : ValueNames(HKEY_LOCAL_MACHINE, TokenPath(token))) {
            if (!name.empty())
                expected += "'" + name + "' ";
        }
        expected += "\r\n";
    }
    ExpectBox(run.boxes[0], "Unglimex database", expected);
    const std::string w = support::WindowsDirectory();
    EXPECT_NE(std::string::npos,
              expected.find("Orbelle screen saver - (orbelle.scr) '"));
    for (const std::string& name :
         {"'" + w + "\\orbelle.scr'", std::string("'*HKEY_CURRENT_USER\\Software\\glimmex\\orbelle'"),
          "'" + w + "\\quadrix.dll'", std::string("'_cmd1'"), std::string("'_cmd2'")})
        EXPECT_NE(std::string::npos, run.boxes[0].text.find(name)) << name;
}

TEST_F(Unglimex, TheListingOfAnEmptyDatabase)
{
    for (const char* spaces : {"", "   "}) {
        RunResult run = RunCommandLine(ProgramPath() + spaces);
        ASSERT_EQ(1u, run.boxes.size());
        ExpectBox(run.boxes[0], "Unglimex database", "nothing in database");
        EXPECT_EQ(0u, run.exitCode);
    }
    // Even the listing creates the database when it is missing.
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kDatabase));
}

TEST_F(Unglimex, TheListingOfALongDatabaseSaysWhatItLeavesOut)
{
    const int tokens = 30;
    for (int i = 0; i < tokens; ++i) {
        std::string token = "tok" + std::to_string(100 + i);
        WriteString(HKEY_LOCAL_MACHINE, TokenPath(token), "", std::string(900, 'd'));
        WriteString(HKEY_LOCAL_MACHINE, TokenPath(token), "C:\\f" + std::to_string(i), " ");
    }
    RunResult run = RunUnglimex("");
    ASSERT_EQ(1u, run.boxes.size());
    const std::string& text = run.boxes[0].text;
    int shown = 0;
    for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2)
        ++shown;
    EXPECT_GT(shown, 3);
    EXPECT_LT(shown, tokens);
    std::string note = "(" + std::to_string(tokens - shown) + " more tokens not shown)";
    ASSERT_GE(text.size(), note.size());
    EXPECT_EQ(note, text.substr(text.size() - note.size()));
}

TEST_F(Unglimex, AStringWithoutItsTerminatingZeroIsReadToItsLength)
{
    // Another program may write REG_SZ data without the terminator.
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, TokenPath("raw").c_str(), 0, nullptr,
                                             0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    const char description[] = "Raw title";
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(description),
                   sizeof description - 1);
    std::string command = ProbeCommand("raw");
    RegSetValueExA(key, "_cmd1", 0, REG_SZ, reinterpret_cast<const BYTE*>(command.data()),
                   static_cast<DWORD>(command.size()));
    RegCloseKey(key);
    RegisterKeeper();

    RunResult listing = RunUnglimex("");
    ASSERT_EQ(1u, listing.boxes.size());
    EXPECT_NE(std::string::npos, listing.boxes[0].text.find("Raw title - (raw) '_cmd1' \r\n"))
        << listing.boxes[0].text;

    RunResult run = RunUnglimex("/remove raw");
    ASSERT_EQ(2u, run.boxes.size());
    EXPECT_EQ("This will remove Raw title.\r\nAre you sure you want to continue?", run.boxes[0].text);
    EXPECT_EQ("Raw title has been removed.", run.boxes[1].text);
    auto log = ProbeLog(Log());
    ASSERT_EQ(1u, log["raw"].size());
    EXPECT_EQ(command, TextField(log["raw"][0], "line"));
}

struct UsageCase {
    const char* arguments;
};

TEST_F(Unglimex, CommandWordsAreComparedWithCaseAndNeedTheirArguments)
{
    for (const char* arguments : {"/DESC x t", "/Add x t", "/desc x", "/desc", "/add x", "/remove",
                                  "/autodel", "/autodel 0 C:\\x", "/help", "desc x t"}) {
        SCOPED_TRACE(arguments);
        RunResult run = RunUnglimex(arguments);
        EXPECT_EQ(0u, run.exitCode);
        ASSERT_EQ(1u, run.boxes.size());
        ExpectBox(run.boxes[0], "Unglimex", Usage(ProgramPath() + " " + arguments));
    }
    EXPECT_EQ(std::vector<std::string>(), SubkeyNames(HKEY_LOCAL_MACHINE, kDatabase));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kEntries) + "x"));
}

TEST_F(Unglimex, DescriptionsAreTheRestOfTheLine)
{
    RunQuietly("/descr x Some long title");
    EXPECT_EQ("Some long title", TokenValues("x")[""]);
    EXPECT_EQ("Some long title", EntryValues("x")["DisplayName"]);
    RunQuietly("/desc x \"Quoted title\" dropped");
    EXPECT_EQ("Quoted title", TokenValues("x")[""]);
    EXPECT_EQ("Quoted title", EntryValues("x")["DisplayName"]);

    RunQuietly("/desc \"my tok\" Spaced");
    EXPECT_EQ((Values{{"", "Spaced"}}), TokenValues("my tok"));
    EXPECT_EQ(support::WindowsDirectory() + "\\unglimex.exe /remove my tok",
              EntryValues("my tok")["UninstallString"]);
    // The list runs that string unquoted: the run looks for the token "my".
    RunResult run = RunCommandLine(EntryValues("my tok")["UninstallString"]);
    ASSERT_EQ(1u, run.boxes.size());
    ExpectBox(run.boxes[0], "Uninstall error",
              "Unable to remove: cannot find my uninstall data\r\n" + support::SystemText(2));

    RunQuietly("/desc long " + std::string(1200, 'L'));
    EXPECT_EQ(std::string(999, 'L'), TokenValues("long")[""]);
}

TEST_F(Unglimex, ItemsAreStoredAsTheirKindSays)
{
    RunQuietly("/add x C:\\Program Files\\x.scr");
    RunQuietly("/add x C:\\Program Files\\x.scr");
    RunQuietly("/add x _cmd1");
    RunQuietly("/add x _cmd2   x y");
    RunQuietly("/add x _cmdA dir");
    RunQuietly("/add x _end1 sleep 5");
    RunQuietly("/add x *HKEY_CURRENT_USER\\Software\\Vendor\\");
    RunQuietly("/add x *HKEY_USERS\\.DEFAULT\\No\\Such\\Key");
    RunQuietly("/add x " + std::string(1200, 'i'));
    EXPECT_EQ((Values{{"C:\\Program Files\\x.scr", " "},
                      {"_cmd1", ""},
                      {"_cmd2", "x y"},
                      {"_cmdA", "dir"},
                      {"_end1", "sleep 5"},
                      {"*HKEY_CURRENT_USER\\Software\\Vendor\\", " "},
                      {"*HKEY_USERS\\.DEFAULT\\No\\Such\\Key", " "},
                      {std::string(999, 'i'), " "}}),
              TokenValues("x"));
    // "/add" makes no Add/Remove entry.
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kEntries) + "x"));

    RunQuietly("/add \"my tok\" C:\\f");
    EXPECT_EQ((Values{{"C:\\f", " "}}), TokenValues("my tok"));
}

TEST_F(Unglimex, ATokenTooLongForAKeyNameIsReported)
{
    // Registry key names hold at most 255 characters.
    const std::string token(300, 'k');
    HKEY probe;
    SetLastError(0xdeadbeef);
    LONG expected = RegCreateKeyExA(HKEY_CURRENT_USER, ("Software\\" + token).c_str(), 0, nullptr, 0,
                                    KEY_ALL_ACCESS, nullptr, &probe, nullptr);
    ASSERT_NE(ERROR_SUCCESS, expected);
    const std::string text = support::SystemText(static_cast<DWORD>(expected));

    RunResult run = RunUnglimex("/desc " + token + " Title");
    ASSERT_EQ(2u, run.boxes.size());
    ExpectBox(run.boxes[0], "Unglimex error", "Unable to create entry.\r\n" + text);
    ExpectBox(run.boxes[1], "Unglimex error", "Unable to create Add/Remove entry.\r\n" + text);
    EXPECT_EQ((std::vector<std::string>{"red", "red"}), run.icons);

    run = RunUnglimex("/add " + token + " C:\\f");
    ASSERT_EQ(1u, run.boxes.size());
    ExpectBox(run.boxes[0], "Unglimex error", "Unable to create entry.\r\n" + text);
    EXPECT_EQ(std::vector<std::string>(), SubkeyNames(HKEY_LOCAL_MACHINE, kDatabase));
}

TEST_F(Unglimex, AKeyItemWithoutAKnownRootIsRefusedAndNothingWritten)
{
    for (const char* item : {"*HKEY_CURRENT_USER", "*hkey_current_user\\x", "*HKCU\\x", "*"}) {
        SCOPED_TRACE(item);
        RunResult run = RunUnglimex(std::string("/add x ") + item);
        ASSERT_EQ(1u, run.boxes.size());
        ExpectBox(run.boxes[0], "Unglimex argument error",
                  std::string("Badly formed reg argument\r\n") + item + "\r\nMust specify root then key");
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, TokenPath("x")));
    }
}

TEST_F(Unglimex, NoOrCancelChangeNothing)
{
    RunInstallerLines(0, 3);
    WriteTextFile(InWindows("orbelle.scr"), "saver");
    WriteString(HKEY_CURRENT_USER, "Software\\glimmex\\orbelle", "Speed", "5");
    Values token = TokenValues("orbelle.scr");
    Values entry = EntryValues("orbelle.scr");
    for (int answer : {IDNO, IDCANCEL}) {
        SCOPED_TRACE(answer);
        RunResult run = RunUnglimex("/remove orbelle.scr", [&](const robot::MessageBoxView& box) {
            return box.caption == "Remove program" ? answer : IDOK;
        });
        EXPECT_EQ(0u, run.exitCode);
        ASSERT_EQ(1u, run.boxes.size());
        ExpectBox(run.boxes[0], "Remove program",
                  "This will remove Orbelle screen saver.\r\nAre you sure you want to continue?",
                  {IDYES, IDNO, IDCANCEL});
        EXPECT_EQ(token, TokenValues("orbelle.scr"));
        EXPECT_EQ(entry, EntryValues("orbelle.scr"));
        EXPECT_EQ("saver", ReadText(InWindows("orbelle.scr")));
        EXPECT_EQ((Values{{"Speed", "5"}}), ReadValues(HKEY_CURRENT_USER, "Software\\glimmex\\orbelle"));
        EXPECT_TRUE(support::FileExists(ProgramPath()));
    }
}

TEST_F(Unglimex, AnUnknownTokenIsReported)
{
    RunInstallerLines(3, 2);
    RunResult run = RunUnglimex("/remove nosuch.scr");
    ASSERT_EQ(1u, run.boxes.size());
    ExpectBox(run.boxes[0], "Uninstall error",
              "Unable to remove: cannot find nosuch.scr uninstall data\r\n" + support::SystemText(2));
    EXPECT_EQ(2u, TokenValues("quadrix.dll").size());
    EXPECT_TRUE(support::FileExists(ProgramPath()));
}

TEST_F(Unglimex, ATokenWithoutDescriptionIsShownInParentheses)
{
    RegisterKeeper();
    WriteTextFile(InWindows("plain.txt"), "x");
    RunQuietly("/add plain " + InWindows("plain.txt"));
    RunResult run = RunUnglimex("/remove plain");
    ASSERT_EQ(2u, run.boxes.size());
    ExpectBox(run.boxes[0], "Remove program",
              "This will remove (plain).\r\nAre you sure you want to continue?",
              {IDYES, IDNO, IDCANCEL});
    ExpectBox(run.boxes[1], "Uninstall", "(plain) has been removed.");
    EXPECT_FALSE(support::FileExists(InWindows("plain.txt")));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, TokenPath("plain")));
}

TEST_F(Unglimex, TheHotCornersTokenRunsItsCommandPausesThenDeletes)
{
    RegisterKeeper();
    const std::string module = InWindows("quadrix.dll");
    WriteTextFile(module, "module");
    RunInstallerLines(3, 2);
    RunQuietly("/add quadrix.dll _cmd1 " + ProbeCommand("cleanup1", module));
    RunInstallerLines(6, 1); // _cmd2 sleep 500
    RunQuietly("/add quadrix.dll _end1 " + ProbeCommand("end1", module));

    RunResult run = RunUnglimex("/remove quadrix.dll");
    EXPECT_EQ(0u, run.exitCode);
    ASSERT_EQ(2u, run.boxes.size());
    ExpectBox(run.boxes[0], "Remove program",
              "This will remove Hot Corners.\r\nAre you sure you want to continue?",
              {IDYES, IDNO, IDCANCEL});
    ExpectBox(run.boxes[1], "Uninstall", "Hot Corners has been removed.");

    auto log = ProbeLog(Log());
    ASSERT_EQ(1u, log["cleanup1"].size());
    ASSERT_EQ(1u, log["end1"].size());
    const std::string& cleanup = log["cleanup1"][0];
    const std::string& end = log["end1"][0];
    EXPECT_EQ(ProbeCommand("cleanup1", module), TextField(cleanup, "line"));
    EXPECT_EQ("1", TextField(cleanup, "present")); // the module is still there
    EXPECT_EQ("0", TextField(end, "present"));     // and is gone before the end commands
    // Command 1 was waited for, then the pause, then the deletion.
    EXPECT_GE(Field(end, "start") - Field(cleanup, "end"), 450u);

    EXPECT_FALSE(support::FileExists(module));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, TokenPath("quadrix.dll")));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kEntries) + "quadrix.dll"));
    // Other tokens remain: the program and the database stay.
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, TokenPath("keeper")));
    EXPECT_TRUE(support::FileExists(ProgramPath()));
}

TEST_F(Unglimex, TheSaverTokenDeletesTheFileAndTheWholeSettingsTree)
{
    RegisterKeeper();
    RunInstallerLines(0, 3);
    WriteTextFile(InWindows("orbelle.scr"), "saver");
    WriteString(HKEY_CURRENT_USER, "Software\\glimmex\\orbelle", "Speed", "5");
    WriteString(HKEY_CURRENT_USER, "Software\\glimmex\\orbelle\\Rings\\Colours", "First", "red");
    WriteString(HKEY_CURRENT_USER, "Software\\glimmex\\orbelle\\Driver", "", "opengl32.dll");

    RunResult run = RunUnglimex("/remove orbelle.scr");
    ASSERT_EQ(2u, run.boxes.size());
    ExpectBox(run.boxes[1], "Uninstall", "Orbelle screen saver has been removed.");
    EXPECT_FALSE(support::FileExists(InWindows("orbelle.scr")));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\glimmex\\orbelle"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\glimmex"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, TokenPath("orbelle.scr")));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kEntries) + "orbelle.scr"));
}

TEST_F(Unglimex, APartialFailureKeepsWhatFailedAndARetryFinishes)
{
    RegisterKeeper();
    CreateDirectoryA(InWindows("late").c_str(), nullptr);
    const std::string held = InWindows("held.dat");
    const std::string loose = InWindows("loose.dat");
    const std::string late = InWindows("late\\command.exe");
    WriteTextFile(held, "held");
    WriteTextFile(loose, "loose");
    WriteString(HKEY_CURRENT_USER, "Software\\parting\\inner", "v", "1");
    RunQuietly("/desc part Partial");
    RunQuietly("/add part _cmd1 " + ProbeCommand("c1"));
    const std::string lateCommand = late + " " + Log() + " c2 0";
    RunQuietly("/add part _cmd2 " + lateCommand); // cannot start yet
    RunQuietly("/add part _cmd3 " + ProbeCommand("c3"));
    RunQuietly("/add part " + held);
    RunQuietly("/add part " + loose);
    RunQuietly("/add part *HKEY_CURRENT_USER\\Software\\parting");

    // Held open without sharing by another process: found, but not deletable.
    HANDLE holder = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, holder);
    RunResult run = RunUnglimex("/remove part");
    ASSERT_EQ(4u, run.boxes.size());
    ExpectBox(run.boxes[1], "Unglimex error",
              "Problem executing cleanup _cmd2\r\n" + lateCommand + "\r\n" +
                  support::SystemText(ERROR_FILE_NOT_FOUND));
    ExpectBox(run.boxes[2], "Uninstall error",
              "Error deleting file " + held + ".\r\n*" + support::SystemText(ERROR_SHARING_VIOLATION));
    ExpectBox(run.boxes[3], "Not remove all", "Not everything was removed");
    // Exactly what failed or must run again stays.
    const std::string w = support::WindowsDirectory();
    EXPECT_EQ((Values{{"", "Partial"},
                      {"_cmd1", ProbeCommand("c1")},
                      {"_cmd2", lateCommand},
                      {"_cmd3", ProbeCommand("c3")},
                      {held, " "}}),
              TokenValues("part"));
    EXPECT_EQ("Partial", EntryValues("part")["DisplayName"]);
    EXPECT_TRUE(support::FileExists(held));
    EXPECT_FALSE(support::FileExists(loose));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\parting"));

    // The causes gone, the retry runs every command again and finishes.
    CloseHandle(holder);
    ASSERT_TRUE(CopyFileA(kProbe.c_str(), late.c_str(), FALSE));
    run = RunUnglimex("/remove part");
    ASSERT_EQ(2u, run.boxes.size());
    ExpectBox(run.boxes[1], "Uninstall", "Partial has been removed.");
    EXPECT_FALSE(support::FileExists(held));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, TokenPath("part")));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kEntries) + "part"));
    auto log = ProbeLog(Log());
    EXPECT_EQ(2u, log["c1"].size());
    EXPECT_EQ(1u, log["c2"].size());
    EXPECT_EQ(2u, log["c3"].size());
    EXPECT_TRUE(support::FileExists(ProgramPath()));
}

TEST_F(Unglimex, AKeyItemWithAnEmptyPathIsNeverDeleted)
{
    RegisterKeeper();
    RunQuietly("/desc root Whole root");
    // "/add" refuses it; a database written by hand or by an older copy
    // still holds it. It is reported as not deleted, and the run says that
    // not everything went: the token and its Add/Remove entry stay.
    WriteString(HKEY_LOCAL_MACHINE, TokenPath("root"), "*HKEY_CURRENT_USER\\", " ");
    WriteString(HKEY_LOCAL_MACHINE, std::string(kEntries) + "root", "DisplayName", "Whole root");
    RunResult run = RunUnglimex("/remove root");
    ASSERT_EQ(3u, run.boxes.size());
    ExpectBox(run.boxes[1], "Uninstall error",
              "The key HKEY_CURRENT_USER\\ was not deleted.\r\n" +
                  support::SystemText(ERROR_BADKEY));
    ExpectBox(run.boxes[2], "Not remove all", "Not everything was removed");
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software"));
    EXPECT_EQ(2u, TokenValues("root").size()) << "the description and the item stay";
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kEntries) + "root"));
}

TEST_F(Unglimex, AFileOrKeyAlreadyGoneCountsAsRemoved)
{
    RegisterKeeper();
    RunQuietly("/desc gone Gone");
    RunQuietly("/add gone " + InWindows("never-there.dat"));
    RunQuietly("/add gone " + InWindows("no-folder\\never-there.dat"));
    RunQuietly("/add gone *HKEY_CURRENT_USER\\Software\\never\\there");
    RunResult run = RunUnglimex("/remove gone");
    ASSERT_EQ(2u, run.boxes.size());
    ExpectBox(run.boxes[1], "Uninstall", "Gone has been removed.");
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, TokenPath("gone")));
}

// An item value that another program gave more data than the helper ever
// stores: only its name matters, so it is removed like any other.
TEST_F(Unglimex, AnItemWithLargeDataIsRemovedAllTheSame)
{
    RegisterKeeper();
    WriteTextFile(InWindows("large.dat"), "large");
    RunQuietly("/desc large Large");
    RunQuietly("/add large " + InWindows("large.dat"));
    const std::string bulky(3000, 'x');
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_LOCAL_MACHINE, TokenPath("large").c_str(),
                                             InWindows("large.dat").c_str(), REG_SZ, bulky.c_str(),
                                             static_cast<DWORD>(bulky.size() + 1)));
    RunResult run = RunUnglimex("/remove large");
    ASSERT_EQ(2u, run.boxes.size());
    ExpectBox(run.boxes[1], "Uninstall", "Large has been removed.");
    EXPECT_FALSE(support::FileExists(InWindows("large.dat")));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, TokenPath("large")));
}

TEST_F(Unglimex, TheLastTokenTakesTheDatabaseAndTheProgramWithIt)
{
    WriteTextFile(InWindows("last.dat"), "last");
    RunQuietly("/desc last Last one");
    RunQuietly("/add last " + InWindows("last.dat"));
    support::CreationWatch watch(support::TempDirectory());
    RunResult run = RunUnglimex("/remove last");
    ASSERT_EQ(2u, run.boxes.size());
    ExpectBox(run.boxes[1], "Uninstall", "Last one has been removed.");
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kDatabase));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\Tolvar"));

    // The clone ends after the installed copy; both files go.
    EXPECT_TRUE(robot::WaitFor([] { return !support::FileExists(ProgramPath()); }, 20000));
    std::vector<std::string> clones;
    for (const std::string& name : watch.Stop()) {
        if (_strnicmp(name.c_str(), "Ung", 3) == 0)
            clones.push_back(name);
    }
    ASSERT_EQ(1u, clones.size());
    EXPECT_EQ(".tmp", clones[0].substr(clones[0].size() - 4));
    const std::string clone = support::TempDirectory() + clones[0];
    EXPECT_TRUE(robot::WaitFor([&] { return !support::FileExists(clone); }, 20000)) << clone;
}

TEST_F(Unglimex, CommandsRunByNumberUntilTheFirstGap)
{
    RegisterKeeper();
    RunQuietly("/desc gap Gap");
    RunQuietly("/add gap _cmd1 " + ProbeCommand("c1"));
    RunQuietly("/add gap _cmd3 " + ProbeCommand("c3"));
    RunQuietly("/add gap _cmdA " + ProbeCommand("cA"));
    RunQuietly("/add gap _end1 sleep");       // no number: no pause
    RunQuietly("/add gap _end2 sleep -5000"); // negative: no pause
    RunQuietly("/add gap _end3 " + ProbeCommand("e3"));
    RunResult run = RunUnglimex("/remove gap");
    ASSERT_EQ(2u, run.boxes.size());
    ExpectBox(run.boxes[1], "Uninstall", "Gap has been removed.");
    auto log = ProbeLog(Log());
    EXPECT_EQ(1u, log["c1"].size());
    EXPECT_EQ(0u, log["c3"].size());
    EXPECT_EQ(0u, log["cA"].size()); // neither run nor taken for a file
    EXPECT_EQ(1u, log["e3"].size());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, TokenPath("gap")));
}

TEST_F(Unglimex, ADescriptionTooLongToReadBackIsReported)
{
    RegisterKeeper();
    WriteString(HKEY_LOCAL_MACHINE, TokenPath("big"), "", std::string(1500, 'b'));
    WriteString(HKEY_LOCAL_MACHINE, TokenPath("big"), "C:\\f", " ");
    // The listing reports the description it cannot read and still names
    // the items: their enumeration reads names only.
    RunResult listing = RunUnglimex("");
    ASSERT_EQ(1u, listing.boxes.size());
    EXPECT_NE(std::string::npos,
              listing.boxes[0].text.find("(big) - *" + support::SystemText(ERROR_MORE_DATA) +
                                         " - 'C:\\f' \r\n"))
        << listing.boxes[0].text;

    RunResult run = RunUnglimex("/remove big");
    ASSERT_EQ(1u, run.boxes.size());
    ExpectBox(run.boxes[0], "Unglimex error",
              "Unable to read unglimex database for (big)\r\n*" +
                  support::SystemText(ERROR_MORE_DATA));
    EXPECT_EQ(2u, TokenValues("big").size());
}

TEST_F(Unglimex, EachKindOfBoxShowsItsIcon)
{
    // Wine draws the question and the information icons both in blue.
    EXPECT_EQ(std::vector<std::string>{"blue"}, RunUnglimex("").icons);
    EXPECT_EQ(std::vector<std::string>{"red"}, RunUnglimex("/help").icons);
    EXPECT_EQ(std::vector<std::string>{"red"}, RunUnglimex("/add x *HKCU\\x").icons);
    RegisterKeeper();
    RunQuietly("/desc fail Failing");
    WriteString(HKEY_LOCAL_MACHINE, TokenPath("fail"), "*HKEY_CURRENT_USER\\", " ");
    EXPECT_EQ((std::vector<std::string>{"blue", "red", "none"}), RunUnglimex("/remove fail").icons);
    RunQuietly("/desc fine Fine");
    EXPECT_EQ((std::vector<std::string>{"blue", "none"}), RunUnglimex("/remove fine").icons);
}

TEST_F(Unglimex, AMadeUpAutodelDeletesNothing)
{
    const std::string victim = InWindows("neighbour.txt");
    RunResult run = RunUnglimex("/autodel 99996 \"" + victim + "\"");
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_TRUE(support::FileExists(victim));
}

} // namespace
