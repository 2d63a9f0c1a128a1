// Writing a payload to a temporary file, called directly under Wine.
#include <gtest/gtest.h>

#include <cstring>

#include "installer/instance.h"
#include "installer/payload/payload.h"
#include "support.h"

namespace {

class Extraction : public ::testing::Test {
protected:
    void SetUp() override { gInstance = GetModuleHandleA(nullptr); }
    void TearDown() override
    {
        if (tempName[0])
            DeleteFileA(tempName);
    }
    char tempName[MAX_PATH] = "";
};

TEST_F(Extraction, WritesAResourceByteForByte)
{
    ASSERT_TRUE(MakeTempFile(tempName));
    EXPECT_EQ(0u, std::string(tempName).rfind(support::TempDirectory() + "sci", 0)) << tempName;
    EXPECT_NE(0, ExtractResourceToFile(tempName, "SMALL"));
    std::vector<std::uint8_t> bytes = support::ReadBytes(tempName);
    EXPECT_EQ(support::ResourceBytes(support::WinPath(UNIT_TESTS), "SMALL"), bytes);
    EXPECT_EQ(300u, bytes.size());
}

TEST_F(Extraction, AnEmptyResourceGivesAnEmptyFile)
{
    ASSERT_TRUE(MakeTempFile(tempName));
    EXPECT_NE(0, ExtractResourceToFile(tempName, "EMPTY"));
    EXPECT_TRUE(support::FileExists(tempName));
    EXPECT_TRUE(support::ReadBytes(tempName).empty());
}

TEST_F(Extraction, AMissingResourceFailsWithTheSystemsReason)
{
    ASSERT_TRUE(MakeTempFile(tempName));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(0, ExtractResourceToFile(tempName, "RESOURCE_NONE"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND), GetLastError());
}

TEST_F(Extraction, AFileThatCannotBeWrittenFails)
{
    std::string directory = support::TempDirectory() + "a-directory";
    CreateDirectoryA(directory.c_str(), nullptr);
    EXPECT_EQ(0, ExtractResourceToFile(directory.c_str(), "SMALL"));
    RemoveDirectoryA(directory.c_str());
}

TEST_F(Extraction, NoTemporaryFileInATemporaryPathTooLong)
{
    char saved[32768];
    DWORD savedLength = GetEnvironmentVariableA("TMP", saved, sizeof saved);
    std::string longTemp = "C:\\" + std::string(300, 't');
    SetEnvironmentVariableA("TMP", longTemp.c_str());
    std::memset(tempName, 'P', sizeof tempName);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(MakeTempFile(tempName));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE), GetLastError());
    EXPECT_STREQ("", tempName);
    SetEnvironmentVariableA("TMP", savedLength ? saved : nullptr);
}

// GetTempFileNameA wants room for its name after the folder: MAX_PATH - 14
// characters is the longest folder it takes.
TEST_F(Extraction, TheTemporaryFolderMayBeAtMostMaxPathLessFourteenLong)
{
    char saved[32768];
    DWORD savedLength = GetEnvironmentVariableA("TMP", saved, sizeof saved);
    for (std::size_t length : {std::size_t{MAX_PATH - 14}, std::size_t{MAX_PATH - 13}}) {
        SCOPED_TRACE(length);
        // "C:\" + name + "\" as GetTempPathA gives it back.
        std::string folder = "C:\\" + std::string(length - 4, 'f');
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
        SetEnvironmentVariableA("TMP", folder.c_str());
        ASSERT_EQ(length, support::TempDirectory().size());
        std::memset(tempName, 'P', sizeof tempName);
        SetLastError(0xdeadbeef);
        bool made = MakeTempFile(tempName);
        if (length <= MAX_PATH - 14) {
            EXPECT_TRUE(made);
            // Too long for the version library: the folder is named in its short form.
            char longName[MAX_PATH] = "";
            GetLongPathNameA(tempName, longName, sizeof longName);
            EXPECT_EQ(0u, std::string(longName).rfind(folder + "\\sci", 0)) << tempName;
            DeleteFileA(tempName);
        } else {
            EXPECT_FALSE(made);
            EXPECT_EQ(static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE), GetLastError());
            EXPECT_STREQ("", tempName);
        }
        tempName[0] = '\0';
        RemoveDirectoryA(folder.c_str());
    }
    SetEnvironmentVariableA("TMP", savedLength ? saved : nullptr);
}

} // namespace
