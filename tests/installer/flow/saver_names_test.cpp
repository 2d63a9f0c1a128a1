#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "installer/flow/saver_names.h"

namespace {

TEST(SaverKeyName, CutsAtTheFirstLowerCaseScr)
{
    std::string name49 = std::string(45, 'n') + ".scr";
    std::string cut49 = std::string(45, 'n');
    std::string long49 = std::string(49, 'x');
    struct Case {
        std::string file;
        std::string key;
    } cases[] = {
        {"orbelle.scr", "orbelle"},
        {"unnamed.scr", "unnamed"},
        {"a.scr.scr", "a"},
        {"ORBELLE.SCR", "ORBELLE.SCR"}, // the test is case-sensitive
        {"saver", "saver"},
        {name49, cut49},
        {long49, long49},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        char key[kSaverKeyNameSize + 4];
        std::memset(key, 'G', sizeof key);
        BuildSaverKeyName(c.file.c_str(), key);
        EXPECT_EQ(c.key, key);
        EXPECT_EQ('G', key[kSaverKeyNameSize]);
    }
}

TEST(SaverKeyName, AnOverLongNameIsCutToTheBuffer)
{
    std::string file = std::string(300, 'z') + ".scr";
    char key[kSaverKeyNameSize + 4];
    std::memset(key, 'G', sizeof key);
    BuildSaverKeyName(file.c_str(), key);
    EXPECT_EQ(std::string(kSaverKeyNameSize - 1, 'z'), key);
    EXPECT_EQ('G', key[kSaverKeyNameSize]);
}

} // namespace
