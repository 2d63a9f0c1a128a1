#include <gtest/gtest.h>

#include <string>

#include "common/paths.h"

namespace {

TEST(JoinPath, PutsOneBackslashBetweenDirectoryAndName)
{
    struct Case {
        const char* directory;
        const char* name;
        const char* expected;
    } cases[] = {
        {"C:\\WINDOWS", "orbelle.scr", "C:\\WINDOWS\\orbelle.scr"},
        {"C:\\", "orbelle.scr", "C:\\orbelle.scr"}, // a drive root ends in its backslash
        {"D:\\Win\\", "quadrix.dll", "D:\\Win\\quadrix.dll"},
        {"\\\\server\\share", "unglimex.exe", "\\\\server\\share\\unglimex.exe"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.directory);
        char out[kPathSize];
        ASSERT_TRUE(JoinPath(out, sizeof out, c.directory, c.name));
        EXPECT_STREQ(c.expected, out);
    }
}

TEST(JoinPath, RefusesAPathLongerThanTheBuffer)
{
    // 259 characters fit a 260-byte buffer; 260 do not.
    std::string name = "orbelle.scr";
    std::string fits(259 - 1 - name.size(), 'w');
    std::string tooLong = fits + "w";
    char out[kPathSize + 8];
    out[kPathSize] = 'G';

    ASSERT_TRUE(JoinPath(out, kPathSize, fits.c_str(), name.c_str()));
    EXPECT_EQ(259u, std::string(out).size());

    EXPECT_FALSE(JoinPath(out, kPathSize, tooLong.c_str(), name.c_str()));
    EXPECT_STREQ("", out);
    EXPECT_EQ('G', out[kPathSize]);

    std::string huge(5000, 'x');
    EXPECT_FALSE(JoinPath(out, kPathSize, huge.c_str(), name.c_str()));
    EXPECT_FALSE(JoinPath(out, kPathSize, "C:\\", huge.c_str()));
    EXPECT_EQ('G', out[kPathSize]);
}

TEST(JoinPath, RefusesAnEmptyDirectory)
{
    // A failed GetWindowsDirectoryA leaves it empty: "\orbelle.scr" would
    // land in the root of the current drive.
    char out[kPathSize] = "poison";
    EXPECT_FALSE(JoinPath(out, sizeof out, "", "orbelle.scr"));
    EXPECT_STREQ("", out);
}

TEST(PathParts, SplitAtTheLastBackslash)
{
    struct Case {
        const char* path;
        const char* directory;
        const char* file;
    } cases[] = {
        {"C:\\WINDOWS\\orbelle.scr", "C:\\WINDOWS", "orbelle.scr"},
        {"C:\\orbelle.scr", "C:", "orbelle.scr"},
        {"orbelle.scr", "", "orbelle.scr"},
        {"C:\\dir\\", "C:\\dir", ""},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        char directory[kPathSize] = "poison";
        char file[kPathSize] = "poison";
        DirectoryPart(directory, sizeof directory, c.path);
        FileNamePart(file, sizeof file, c.path);
        EXPECT_STREQ(c.directory, directory);
        EXPECT_STREQ(c.file, file);
    }
}

TEST(PathParts, CutAnOverLongPartToTheBuffer)
{
    std::string path = std::string(400, 'd') + "\\" + std::string(400, 'f');
    char out[kPathSize + 1];
    out[kPathSize] = 'G';
    EXPECT_FALSE(DirectoryPart(out, kPathSize, path.c_str()));
    EXPECT_EQ(std::string(259, 'd'), out);
    EXPECT_FALSE(FileNamePart(out, kPathSize, path.c_str()));
    EXPECT_EQ(std::string(259, 'f'), out);
    EXPECT_EQ('G', out[kPathSize]);
}

} // namespace
