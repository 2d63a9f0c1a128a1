#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "installer/payload/version_text.h"

namespace {

::testing::AssertionResult IsQuad(const FileVersionQuad& v, int a, int b, int c, int d)
{
    if (v.part[0] == a && v.part[1] == b && v.part[2] == c && v.part[3] == d)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << v.part[0] << "." << v.part[1] << "." << v.part[2]
                                         << "." << v.part[3];
}

TEST(ParseVersionText, ReadsFourComponents)
{
    struct Case {
        const char* text;
        int a, b, c, d;
    } cases[] = {
        {"1, 0, 0, 3", 1, 0, 0, 3},
        {"2.10", 2, 10, 0, 0},
        {"1.2.3.4.5", 1, 2, 3, 4},
        {"12a.7", 12, 7, 0, 0},
        {"-1.5", 0, 5, 0, 0}, // a sign is never a sign
        {"x2.1", 0, 1, 0, 0},
        {"", 0, 0, 0, 0},
        {"3, 0,1, 0", 3, 0, 1, 0},
        {"1.2.0.0", 1, 2, 0, 0},
        {"   7 .8", 7, 8, 0, 0},
        {"1..2", 1, 0, 2, 0},
        {",,,9", 0, 0, 0, 9},
        {"+4.1", 0, 1, 0, 0},
        {"\t5.1", 0, 1, 0, 0}, // only blanks are skipped
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("'") + c.text + "'");
        EXPECT_TRUE(IsQuad(ParseVersionText(c.text), c.a, c.b, c.c, c.d));
    }
}

TEST(ParseVersionText, BoundsOverLongComponents)
{
    // Values past 2^31 - 1 saturate instead of wrapping.
    EXPECT_TRUE(IsQuad(ParseVersionText("99999999999.4294967296.2147483647"), INT_MAX, INT_MAX,
                       INT_MAX, 0));
    // Only 258 characters of a component are read: a digit after 258 zeros
    // is not, and the next component still is.
    std::string zeros(258, '0');
    EXPECT_TRUE(IsQuad(ParseVersionText((zeros + "5.6").c_str()), 0, 6, 0, 0));
    EXPECT_TRUE(IsQuad(ParseVersionText((zeros.substr(1) + "5.6").c_str()), 5, 6, 0, 0));
    std::string huge = std::string(100000, '7') + "." + std::string(100000, 'x') + ".3";
    EXPECT_TRUE(IsQuad(ParseVersionText(huge.c_str()), INT_MAX, 0, 3, 0));
}

TEST(CompareVersions, FirstDifferingComponentDecides)
{
    FileVersionQuad v1 = ParseVersionText("1.0.0.0");
    FileVersionQuad v2 = ParseVersionText("2.0.0.0");
    FileVersionQuad v3 = ParseVersionText("3, 0,1, 0");
    FileVersionQuad v3b = ParseVersionText("3.0.1.0");
    FileVersionQuad none = ParseVersionText("");
    EXPECT_EQ(-1, CompareVersions(v1, v2));
    EXPECT_EQ(1, CompareVersions(v2, v1));
    EXPECT_EQ(0, CompareVersions(v3, v3b));
    EXPECT_EQ(1, CompareVersions(v1, none));
    EXPECT_EQ(1, CompareVersions(ParseVersionText("1.0.0.10"), ParseVersionText("1.0.0.9")));
    FileVersionQuad negative = {{-1, 0, 0, 0}}; // components compare signed
    EXPECT_EQ(-1, CompareVersions(negative, none));
    EXPECT_TRUE(IsZeroVersion(none));
    EXPECT_FALSE(IsZeroVersion(ParseVersionText("0.0.0.1")));
}

TEST(BuildResultText, TableOrderOnOneLine)
{
    struct Case {
        std::uint32_t result;
        ResultPass pass;
        bool any;
        const char* text;
    } cases[] = {
        {0, ResultPass::Final, false, ""},
        {kVifTempFile, ResultPass::Final, false, ""},
        {0x80000000u | 0x01000000u, ResultPass::Final, false, ""}, // bits outside the table
        {kVifTempFile | kVifSrcOld, ResultPass::First, true, "Existing file is more recent. "},
        {kVifSrcOld | kVifMismatch, ResultPass::First, true,
         "File mismatch. Existing file is more recent. "},
        {kVifFileInUse | kVifSharingViolation, ResultPass::Final, true,
         "Existing file is in use. Sharing violation. "},
        {kVifFileInUse | kVifSharingViolation, ResultPass::First, false, ""},
        {kVifCannotDelete | kVifCannotCreate | kVifCannotDeleteCur | kVifCannotRename,
         ResultPass::Final, true,
         "Cannot delete existing file. Cannot rename temporary file. "
         "Cannot create temporary file. Cannot delete file. "},
        {kVifWriteProt, ResultPass::Final, true, "Existing file is write-protected. "},
        {kVifCannotLoadCabinet | kVifCannotLoadLz32 | kVifBuffTooSmall, ResultPass::Final, true,
         "Buffer too small. Cannot load the decompression library. "
         "Cannot load the cabinet library. "},
        {kVifCannotLoadLz32, ResultPass::First, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result);
        char text[1000] = "poison";
        EXPECT_EQ(c.any, BuildResultText(c.result, c.pass, text, sizeof text));
        EXPECT_STREQ(c.text, text);
    }
}

TEST(BuildResultText, EveryTableBitHasItsOwnText)
{
    const std::uint32_t firstPass[] = {kVifMismatch,     kVifSrcOld,      kVifDiffLang,
                                       kVifDiffCodepage, kVifDiffType,    kVifWriteProt};
    int texts = 0;
    for (std::uint32_t bit = 2; bit != 0; bit <<= 1) {
        char text[1000];
        char firstText[1000];
        bool final = BuildResultText(bit, ResultPass::Final, text, sizeof text);
        bool first = BuildResultText(bit, ResultPass::First, firstText, sizeof firstText);
        bool expectedFirst = false;
        for (std::uint32_t b : firstPass)
            expectedFirst |= b == bit;
        EXPECT_EQ(expectedFirst, first) << std::hex << bit;
        if (final) {
            ++texts;
            EXPECT_EQ(' ', text[std::strlen(text) - 1]) << std::hex << bit;
        }
    }
    EXPECT_EQ(20, texts); // eighteen of the table and the two loader failures
}

TEST(BuildResultText, AllBitsAtOnceFitAndAreCutSafely)
{
    char text[1000];
    EXPECT_TRUE(BuildResultText(0xFFFFFFFFu, ResultPass::Final, text, sizeof text));
    EXPECT_LT(std::strlen(text), sizeof text);
    char small[16 + 1];
    small[16] = 'G';
    EXPECT_TRUE(BuildResultText(0xFFFFFFFFu, ResultPass::Final, small, 16));
    EXPECT_STREQ("File mismatch. ", small);
    EXPECT_EQ('G', small[16]);
}

TEST(DecidePayload, VersionsAndPresenceDecide)
{
    const FileVersionQuad none = {{0, 0, 0, 0}};
    const FileVersionQuad v1 = {{1, 0, 0, 0}};
    const FileVersionQuad v2 = {{2, 0, 0, 0}};
    const FileVersionQuad v301 = {{3, 0, 1, 0}};
    struct Case {
        const char* trace;
        FileVersionQuad payload, installed;
        bool exists;
        PayloadDecision decision;
    } cases[] = {
        {"first installation", v2, none, false, PayloadDecision::Install},
        {"same version", v2, v2, true, PayloadDecision::Leave},
        {"older installed", v2, v1, true, PayloadDecision::AskToUpgrade},
        {"newer installed", v1, v2, true, PayloadDecision::Install},
        {"installed without a version", v301, none, true, PayloadDecision::AskToUpgrade},
        {"both versionless", none, none, true, PayloadDecision::Install},
        {"both versionless, nothing installed", none, none, false, PayloadDecision::Install},
        {"versionless payload over a versioned file", none, v1, true, PayloadDecision::Install},
        // A file held by another program: present, but its version unreadable.
        {"unreadable installed file", v2, none, true, PayloadDecision::AskToUpgrade},
        // The same known version is left even when the file cannot be opened.
        {"same version, not openable", v1, v1, false, PayloadDecision::Leave},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.trace);
        EXPECT_EQ(c.decision, DecidePayload(c.payload, c.installed, c.exists));
    }
}

} // namespace
