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

} // namespace
