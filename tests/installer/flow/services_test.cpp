// The installer's Win32 services, called directly under Wine: the child
// process runner, the system error text and the saver's strings.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "common/process.h"
#include "common/syserror.h"
#include "installer/flow/flow.h"
#include "support.h"

namespace {

std::string ReadText(const std::string& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(RunAndWait, RunsCommandsStrictlyOneAfterAnother)
{
    std::string log = support::TempDirectory() + "runs.log";
    DeleteFileA(log.c_str());
    std::string recorder = support::WinPath(RECORDER);
    for (const char* tag : {"a", "b", "c"}) {
        std::string line = "\"" + recorder + "\" " + log + " " + tag + " 300";
        std::vector<char> command(line.begin(), line.end());
        command.push_back('\0');
        EXPECT_EQ(1, RunAndWait(command.data()));
    }
    EXPECT_EQ("start a\nend a\nstart b\nend b\nstart c\nend c\n", ReadText(log));
}

TEST(RunAndWait, GivesZeroForAProgramThatDoesNotExist)
{
    char command[] = "C:\\windows\\no-such-program.exe /add x y";
    SetLastError(0xdeadbeef);
    EXPECT_EQ(0, RunAndWait(command));
    EXPECT_NE(0xdeadbeefu, GetLastError());
}

TEST(GetSystemErrorText, GivesTheSystemTextOfTheLastError)
{
    struct Case {
        DWORD error;
        bool hasText;
    } cases[] = {
        {ERROR_FILE_NOT_FOUND, true},
        {ERROR_ACCESS_DENIED, true},
        {ERROR_BAD_EXE_FORMAT, true}, // "%1 is not a valid Win32 application."
        {0x2000DEAD, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        char text[260];
        std::memset(text, 'P', sizeof text);
        SetLastError(c.error);
        int length = GetSystemErrorText(text, sizeof text);
        EXPECT_EQ(c.error, GetLastError()); // left for the caller as it was
        EXPECT_EQ(length, static_cast<int>(std::strlen(text)));
        EXPECT_EQ(c.hasText, length > 0);
        if (c.hasText) {
            EXPECT_EQ(support::SystemText(c.error), text);
        }
    }
}

TEST(GetSystemErrorText, NeverWritesPastASmallBuffer)
{
    char text[8 + 4];
    std::memset(text, 'G', sizeof text);
    SetLastError(ERROR_FILE_NOT_FOUND);
    int length = GetSystemErrorText(text, 8);
    EXPECT_LT(length, 8);
    EXPECT_EQ(static_cast<std::size_t>(length), std::strlen(text));
    EXPECT_EQ(std::string("GGGG"), std::string(text + 8, 4));
}

TEST(LoadSaverStrings, ReadsTheTableOrFallsBackToTheDefaults)
{
    struct Case {
        const char* module;
        const char* descriptive;
        const char* file;
        const char* title;
    } cases[] = {
        {ORBELLE_SETUP, "the Orbelle screen saver", "orbelle.scr", "Orbelle screen saver"},
        {SETUP_NO_STRINGS, "screen saver", "unnamed.scr", "unnamed.scr"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.module);
        HMODULE module = LoadLibraryExA(support::WinPath(c.module).c_str(), nullptr,
                                        LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_TRUE(module);
        SaverStrings strings;
        std::memset(&strings, 'P', sizeof strings);
        LoadSaverStrings(module, &strings);
        EXPECT_STREQ(c.descriptive, strings.DescriptiveName);
        EXPECT_STREQ(c.file, strings.SaverFileName);
        EXPECT_STREQ(c.title, strings.SaverTitle);
        FreeLibrary(module);
    }
}

} // namespace
