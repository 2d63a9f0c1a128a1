// The installer's registration command lines.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/paths.h"
#include "installer/finish/register_lines.h"

namespace {

// The paths as the installer builds them from a Windows directory.
struct Paths {
    explicit Paths(const char* windows)
    {
        JoinPath(uninstaller, sizeof uninstaller, windows, "unglimex.exe");
        JoinPath(saver, sizeof saver, windows, "orbelle.scr");
        JoinPath(hotCorners, sizeof hotCorners, windows, "quadrix.dll");
    }
    RegistrationTexts Texts() const
    {
        return {uninstaller, "orbelle.scr", "Orbelle screen saver", saver, "orbelle", hotCorners};
    }
    char uninstaller[kPathSize];
    char saver[kPathSize];
    char hotCorners[kPathSize];
};

std::vector<std::string> AllLines(const RegistrationTexts& texts, std::size_t size = 1000)
{
    std::vector<std::string> lines;
    for (int i = 0; i < kRegistrationLineCount; ++i) {
        std::vector<char> out(size + 1, 'Z');
        bool fits = FormatRegistrationLine(static_cast<RegistrationLine>(i), texts, out.data(), size);
        EXPECT_EQ('Z', out[size]) << "wrote past the buffer";
        lines.push_back(fits ? std::string(out.data()) : "(cut: " + std::string(out.data()) + ")");
    }
    return lines;
}

TEST(RegistrationLines, TheSevenLinesForTheShippedStrings)
{
    Paths paths("C:\\WINDOWS");
    EXPECT_EQ((std::vector<std::string>{
                  "C:\\WINDOWS\\unglimex.exe /desc orbelle.scr Orbelle screen saver",
                  "C:\\WINDOWS\\unglimex.exe /add orbelle.scr C:\\WINDOWS\\orbelle.scr",
                  "C:\\WINDOWS\\unglimex.exe /add orbelle.scr "
                  "*HKEY_CURRENT_USER\\Software\\glimmex\\orbelle",
                  "C:\\WINDOWS\\unglimex.exe /desc quadrix.dll Hot Corners",
                  "C:\\WINDOWS\\unglimex.exe /add quadrix.dll C:\\WINDOWS\\quadrix.dll",
                  "C:\\WINDOWS\\unglimex.exe /add quadrix.dll _cmd1 rundll32.exe "
                  "C:\\WINDOWS\\quadrix.dll,UninstallSilently",
                  "C:\\WINDOWS\\unglimex.exe /add quadrix.dll _cmd2 sleep 500",
              }),
              AllLines(paths.Texts()));
}

TEST(RegistrationLines, ADriveRootWindowsDirectoryHasNoDoubledBackslash)
{
    Paths paths("C:\\");
    std::vector<std::string> lines = AllLines(paths.Texts());
    EXPECT_EQ("C:\\unglimex.exe /add orbelle.scr C:\\orbelle.scr", lines[1]);
    EXPECT_EQ("C:\\unglimex.exe /add quadrix.dll _cmd1 rundll32.exe C:\\quadrix.dll,UninstallSilently",
              lines[5]);
    for (const std::string& line : lines)
        EXPECT_EQ(std::string::npos, line.find("\\\\")) << line;
}

TEST(RegistrationLines, SaverLinesAreTheFirstThree)
{
    for (int i = 0; i < kRegistrationLineCount; ++i)
        EXPECT_EQ(i < 3, IsSaverLine(static_cast<RegistrationLine>(i))) << i;
}

TEST(RegistrationLines, ALineThatDoesNotFitIsNotSentCut)
{
    // The longest Windows directory the installer accepts.
    std::string windows = "C:\\" + std::string(240, 'w');
    Paths paths(windows.c_str());
    std::string title(99, 't');
    RegistrationTexts texts = paths.Texts();
    texts.SaverTitle = title.c_str();
    std::vector<std::string> lines = AllLines(texts);
    for (const std::string& line : lines)
        EXPECT_NE(0u, line.rfind("(cut", 0)) << "1000 characters hold every line: " << line;

    for (std::size_t size : {1u, 10u, 60u, 255u}) {
        SCOPED_TRACE(size);
        for (const std::string& line : AllLines(texts, size))
            EXPECT_EQ("(cut: )", line);
    }
}

} // namespace
