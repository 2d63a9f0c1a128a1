// The database's text rules.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "uninstall/rules.h"

namespace {

TEST(KeyPath, AcceptsExactlyTheFourRootNames)
{
    const struct {
        const char* keyPath;
        RootName root;
        const char* subkey;
    } cases[] = {
        {"HKEY_CURRENT_USER\\Software\\glimmex\\orbelle", RootName::CurrentUser,
         "Software\\glimmex\\orbelle"},
        {"HKEY_LOCAL_MACHINE\\x", RootName::LocalMachine, "x"},
        {"HKEY_CLASSES_ROOT\\.scr", RootName::ClassesRoot, ".scr"},
        {"HKEY_USERS\\.DEFAULT\\y", RootName::Users, ".DEFAULT\\y"},
        {"HKEY_CURRENT_USER\\", RootName::CurrentUser, ""},
        {"HKEY_CURRENT_USER", RootName::None, ""},
        {"hkey_current_user\\x", RootName::None, ""},
        {"HKEY_CURRENT_USERS\\x", RootName::None, ""},
        {"HKEY_CURRENT\\x", RootName::None, ""},
        {"HKCU\\x", RootName::None, ""},
        {"\\x", RootName::None, ""},
        {"", RootName::None, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keyPath);
        char subkey[64];
        std::memset(subkey, 'Z', sizeof subkey);
        EXPECT_EQ(c.root, ParseKeyPath(c.keyPath, subkey, sizeof subkey));
        EXPECT_STREQ(c.subkey, subkey);
    }
}

TEST(KeyPath, KeepsAtMostNineHundredNinetyNineCharactersOfThePath)
{
    std::string keyPath = "HKEY_USERS\\" + std::string(1200, 'k');
    char subkey[kArgumentSize];
    EXPECT_EQ(RootName::Users, ParseKeyPath(keyPath.c_str(), subkey, sizeof subkey));
    EXPECT_EQ(std::string(999, 'k'), subkey);
}

TEST(SplitItem, CommandItemsAreNamedByTheirFirstWord)
{
    const struct {
        const char* item;
        const char* name;
        const char* data;
    } cases[] = {
        {"_cmd1", "_cmd1", ""},
        {"_cmd1   x y", "_cmd1", "x y"},
        {"_cmdA dir", "_cmdA", "dir"},
        {"_end2 sleep 500", "_end2", "sleep 500"},
        {"_cmd1 rundll32.exe C:\\WINDOWS\\quadrix.dll,UninstallSilently", "_cmd1",
         "rundll32.exe C:\\WINDOWS\\quadrix.dll,UninstallSilently"},
        {"_CMD1 x", "_CMD1 x", " "}, // with case: a file item
        {"C:\\Program Files\\x.scr", "C:\\Program Files\\x.scr", " "},
        {"*HKEY_CURRENT_USER\\Software\\glimmex\\orbelle",
         "*HKEY_CURRENT_USER\\Software\\glimmex\\orbelle", " "},
        {"_cm", "_cm", " "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item);
        char name[kArgumentSize];
        char data[kArgumentSize];
        SplitItem(c.item, name, sizeof name, data, sizeof data);
        EXPECT_STREQ(c.name, name);
        EXPECT_STREQ(c.data, data);
    }
}

TEST(UninstallString, NeverDoublesTheBackslashOfADriveRoot)
{
    const struct {
        const char* directory;
        const char* token;
        const char* expected;
    } cases[] = {
        {"C:\\WINDOWS", "quadrix.dll", "C:\\WINDOWS\\unglimex.exe /remove quadrix.dll"},
        {"C:\\windows", "orbelle.scr", "C:\\windows\\unglimex.exe /remove orbelle.scr"},
        {"C:\\", "orbelle.scr", "C:\\unglimex.exe /remove orbelle.scr"},
        {"D:\\", "my tok", "D:\\unglimex.exe /remove my tok"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.directory);
        char out[kUninstallStringSize];
        EXPECT_TRUE(BuildUninstallString(out, sizeof out, c.directory, c.token));
        EXPECT_STREQ(c.expected, out);
    }
}

TEST(UninstallString, TheLongestDirectoryAndTokenFit)
{
    std::string directory = "C:\\" + std::string(996, 'w');
    std::string token(999, 't');
    char out[kUninstallStringSize];
    ASSERT_TRUE(BuildUninstallString(out, sizeof out, directory.c_str(), token.c_str()));
    EXPECT_EQ(directory + "\\unglimex.exe /remove " + token, out);
    char small[20];
    EXPECT_FALSE(BuildUninstallString(small, sizeof small, "C:\\WINDOWS", "quadrix.dll"));
    EXPECT_STREQ("", small);
}

TEST(CommandValues, NamesAndKinds)
{
    char name[32];
    CommandValueName(name, sizeof name, "_cmd", 1);
    EXPECT_STREQ("_cmd1", name);
    CommandValueName(name, sizeof name, "_end", 12);
    EXPECT_STREQ("_end12", name);
    for (const char* command : {"_cmd", "_cmd1", "_cmdA", "_end", "_end9"})
        EXPECT_TRUE(IsCommandValueName(command)) << command;
    for (const char* other : {"", "_cm", "_CMD1", "cmd1", "*HKEY_USERS\\x", "C:\\x"})
        EXPECT_FALSE(IsCommandValueName(other)) << other;
}

TEST(Sleep, ReadsABoundedPauseFromTheSeventhCharacter)
{
    const struct {
        const char* command;
        unsigned long milliseconds;
    } cases[] = {
        {"sleep 500", 500},
        {"sleep:250", 250},    // any one separator
        {"sleep  30", 30},     // white space before the number is skipped
        {"sleep", 0},          // no number at all
        {"sleep ", 0},
        {"sleep x", 0},
        {"sleep -5", 0},
        {"sleep 12abc", 12},
        {"sleep 4294967295", kLongestSleepMs}, // never INFINITE
        {"sleep 99999999999999999999999", kLongestSleepMs},
        {"sleep500", 0}, // the sixth character is the separator
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        EXPECT_TRUE(IsSleepCommand(c.command));
        EXPECT_EQ(c.milliseconds, SleepMilliseconds(c.command));
    }
    EXPECT_FALSE(IsSleepCommand("Sleep 500"));
    EXPECT_FALSE(IsSleepCommand("rundll32.exe x,y"));
    EXPECT_FALSE(IsSleepCommand("slee"));
}

TEST(FileItem, OnlyAMissingFileOrFolderCountsAsGone)
{
    const struct {
        unsigned long error;
        bool gone;
    } cases[] = {
        {2, true},   // ERROR_FILE_NOT_FOUND
        {3, true},   // ERROR_PATH_NOT_FOUND
        {5, false},  // ERROR_ACCESS_DENIED
        {32, false}, // ERROR_SHARING_VIOLATION
        {33, false}, // ERROR_LOCK_VIOLATION
        {123, false}, // ERROR_INVALID_NAME
        {0, false},
        {0xdeadbeef, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        EXPECT_EQ(c.gone, FileCountsAsGone(c.error));
    }
}

TEST(Listing, SaysHowManyTokensDidNotFit)
{
    Listing listing;
    std::memset(&listing, 'Z', sizeof listing);
    StartListing(&listing);
    std::string line = std::string(900, 'x') + " - (tok) 'f' \r\n";
    int lines = 0;
    for (int i = 0; i < 40; ++i) {
        AddListingLine(&listing, line.c_str());
        lines = static_cast<int>(std::string(listing.Text).size() / line.size());
    }
    FinishListing(&listing);
    std::string text = listing.Text;
    EXPECT_LT(text.size(), kListingSize);
    EXPECT_EQ(0u, text.size() % line.size() == 0 ? 1u : 0u) << "a note follows the whole lines";
    std::string note = "(" + std::to_string(40 - lines) + " more tokens not shown)";
    EXPECT_EQ(note, text.substr(text.size() - note.size()));
    EXPECT_EQ(static_cast<std::size_t>(lines) * line.size() + note.size(), text.size());
}

TEST(Listing, AShortDatabaseIsShownWhole)
{
    Listing listing;
    StartListing(&listing);
    AddListingLine(&listing, "Hot Corners - (quadrix.dll) 'C:\\WINDOWS\\quadrix.dll' '_cmd1' '_cmd2' \r\n");
    FinishListing(&listing);
    EXPECT_STREQ("Hot Corners - (quadrix.dll) 'C:\\WINDOWS\\quadrix.dll' '_cmd1' '_cmd2' \r\n",
                 listing.Text);
    StartListing(&listing);
    AddListingText(&listing, "nothing in database");
    FinishListing(&listing);
    EXPECT_STREQ("nothing in database", listing.Text);
}

TEST(Listing, ALongLineEndsInAnEllipsisWithRoomForItsEnd)
{
    char line[kListingLineSize];
    line[0] = '\0';
    std::string name = "'" + std::string(997, 'n') + "' ";
    int kept = 0;
    while (AppendToListingLine(line, sizeof line, name.c_str()))
        ++kept;
    EXPECT_EQ(static_cast<int>((kListingLineSize - 6) / name.size()), kept);
    EXPECT_GE(kept, 1);
    std::string text = line;
    EXPECT_EQ("...", text.substr(text.size() - 3));
    EXPECT_EQ(std::string::npos, text.find("......"));
    EXPECT_LT(text.size() + 2, kListingLineSize);
}

struct Forgotten {
    std::vector<std::string> names;
};

void Record(const char* name, void* data)
{
    static_cast<Forgotten*>(data)->names.push_back(name);
}

TEST(DoneList, ForgetsTheMostRecentFirst)
{
    DoneList done = {nullptr};
    AddDone(&done, "_cmd1", true);
    AddDone(&done, "_cmd2", true);
    AddDone(&done, "C:\\WINDOWS\\quadrix.dll", false);
    Forgotten forgotten;
    ForgetDone(&done, true, Record, &forgotten);
    EXPECT_EQ((std::vector<std::string>{"C:\\WINDOWS\\quadrix.dll", "_cmd2", "_cmd1"}),
              forgotten.names);
    FreeDone(&done);
    EXPECT_EQ(nullptr, done.First);
}

TEST(DoneList, AfterAPartialFailureOnlyItemsAreForgotten)
{
    DoneList done = {nullptr};
    AddDone(&done, "_cmd1", true);
    AddDone(&done, "C:\\a", false);
    AddDone(&done, "*HKEY_CURRENT_USER\\b", false);
    AddDone(&done, "_end1", true);
    Forgotten forgotten;
    ForgetDone(&done, false, Record, &forgotten);
    EXPECT_EQ((std::vector<std::string>{"*HKEY_CURRENT_USER\\b", "C:\\a"}), forgotten.names);
    FreeDone(&done);
}

TEST(DoneList, KeepsNineHundredNinetyNineCharactersOfAName)
{
    DoneList done = {nullptr};
    std::string name(1500, 'v');
    AddDone(&done, name.c_str(), false);
    EXPECT_EQ(std::string(999, 'v'), done.First->Name);
    FreeDone(&done);
}

TEST(SystemTrees, AKeyItemNamesATreeOfItsOwn)
{
    const struct {
        RootName root;
        const char* subkey;
        bool refused;
    } cases[] = {
        {RootName::CurrentUser, "Software\\glimmex\\orbelle", false},
        {RootName::LocalMachine, "Software\\Vendor", false},
        {RootName::ClassesRoot, "CLSID\\{12345678-0000-0000-0000-000000000000}", false},
        {RootName::Users, ".DEFAULT\\Software\\Vendor", false},
        {RootName::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\x", false},
        {RootName::LocalMachine, "Software\\Classes\\CLSID\\{x}", false},
        {RootName::CurrentUser, "Control Panel\\Desktop\\Vendor", false},
        {RootName::LocalMachine, "Software\\Tolvar\\Other", false},
        {RootName::LocalMachine, "Software\\Wow6432Node\\Vendor", false},
        // Fewer than two levels below the root (or the user's key).
        {RootName::CurrentUser, "", true},
        {RootName::LocalMachine, "Software", true},
        {RootName::LocalMachine, "Software\\", true},
        {RootName::LocalMachine, "\\Software\\\\", true},
        {RootName::ClassesRoot, "CLSID", true},
        {RootName::ClassesRoot, ".scr", true},
        {RootName::ClassesRoot, "Wow6432Node\\CLSID", true},
        {RootName::ClassesRoot, "Wow6432Node\\CLSID\\{x}", false},
        {RootName::Users, ".DEFAULT\\Software", true},
        {RootName::Users, ".DEFAULT", true},
        {RootName::None, "Software\\Vendor", true},
        // The system's own trees, in any case, with doubled backslashes.
        {RootName::LocalMachine, "Software\\Microsoft", true},
        {RootName::CurrentUser, "SOFTWARE\\microsoft\\windows", true},
        {RootName::LocalMachine, "Software\\\\Microsoft\\Windows NT\\", true},
        {RootName::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion", true},
        {RootName::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", true},
        {RootName::LocalMachine, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon", true},
        {RootName::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", true},
        {RootName::LocalMachine, "Software\\Classes", true},
        {RootName::CurrentUser, "Software\\Classes\\CLSID", true},
        {RootName::LocalMachine, "Software\\Policies", true},
        {RootName::LocalMachine, "Software\\Policies\\Microsoft", true},
        {RootName::LocalMachine, "Software\\Wow6432Node", true},
        {RootName::LocalMachine, "Software\\Wow6432Node\\Microsoft\\Windows", true},
        {RootName::LocalMachine, "Software\\Tolvar", true},
        {RootName::LocalMachine, "Software\\Tolvar\\Unglimex", true},
        {RootName::LocalMachine, "Software\\Tolvar\\Unglimex\\other.token", true},
        {RootName::LocalMachine, "System\\CurrentControlSet", true},
        {RootName::LocalMachine, "SYSTEM\\CurrentControlSet\\Services\\x\\y", true},
        {RootName::LocalMachine, "Hardware\\Description", true},
        {RootName::CurrentUser, "Control Panel\\Desktop", true},
        {RootName::Users, "S-1-5-21\\Control Panel\\Colors", true},
        {RootName::CurrentUser, "Software\\..\\Microsoft", true},
        {RootName::CurrentUser, "Software\\glimmex\\.", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.subkey);
        EXPECT_EQ(c.refused, IsSystemTree(c.root, c.subkey));
    }
}

TEST(FileItem, NamesThatCanNeverBeAFile)
{
    const struct {
        std::string path;
        FileItemProblem problem;
    } cases[] = {
        {"C:\\WINDOWS\\orbelle.scr", FileItemProblem::None},
        {"C:\\Program Files\\x.scr:stream", FileItemProblem::None},
        {"C:\\" + std::string(256, 'n'), FileItemProblem::None},
        {"C:\\" + std::string(257, 'n'), FileItemProblem::TooLong},
        {"C:\\bad|name.txt", FileItemProblem::BadName},
        {"C:\\WINDOWS\\*.txt", FileItemProblem::BadName},
        {"C:\\WINDOWS\\orbelle.sc?", FileItemProblem::BadName},
        {"C:\\a<b>", FileItemProblem::BadName},
        {"C:\\\"q\"", FileItemProblem::BadName},
        {"C:\\tab\there", FileItemProblem::BadName},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(c.problem, CheckFileItem(c.path.c_str()));
    }
}

TEST(UninstallString, OnlyTheHelpersOwnLineIsOurs)
{
    const struct {
        const char* value;
        bool ours;
    } cases[] = {
        {"C:\\WINDOWS\\unglimex.exe /remove quadrix.dll", true},
        {"c:\\windows\\UNGLIMEX.EXE /remove QUADRIX.DLL", true},
        {"C:\\WINDOWS\\unglimex.exe /remove quadrix.dll ", false},
        {"C:\\WINDOWS\\unglimex.exe /remove other.dll", false},
        {"C:\\Other\\uninstall.exe", false},
        {"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(c.ours, IsOwnUninstallString(c.value, "C:\\WINDOWS", "quadrix.dll"));
    }
}

TEST(Question, ALongDescriptionNeverHidesTheQuestion)
{
    const std::string question = ".\r\nAre you sure you want to continue?";
    for (std::size_t length : {std::size_t(0), std::size_t(20), kQuestionNameLength,
                               kQuestionNameLength + 1, std::size_t(999)}) {
        SCOPED_TRACE(length);
        const std::string name(length, 'L');
        char text[1024];
        BuildQuestion(text, sizeof text, name.c_str());
        const std::string expected =
            length <= kQuestionNameLength
                ? "This will remove " + name + question
                : "This will remove " + std::string(kQuestionNameLength - 3, 'L') + "..." + question;
        EXPECT_EQ(expected, text);
    }
}

} // namespace
