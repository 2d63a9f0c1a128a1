// The corner picker's rules: codes in the style bits, the marker layout of
// the anchor string, the hit test and the menu ids.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "common/picker_geometry.h"

namespace {

using namespace picker;

std::string Codes(std::uint32_t style)
{
    char codes[kCorners];
    CornersFromStyle(style, codes);
    return std::string(codes, kCorners);
}

TEST(PickerStyle, CodesRoundTripThroughTheStyle)
{
    const std::uint32_t kChildDisabled = 0x58000000u; // WS_CHILD | WS_VISIBLE | WS_DISABLED
    for (const char* codes : {"----", "YN-N", "YYYY", "NNNN", "-Y-N", "N--Y"}) {
        SCOPED_TRACE(codes);
        std::uint32_t style = StyleWithCorners(kChildDisabled | 0xFFFEu, codes);
        EXPECT_EQ(codes, Codes(style));
        EXPECT_EQ(kChildDisabled, style & 0xFFFF0000u) << "window style bits untouched";
        EXPECT_EQ(1u, style & 0x3u) << "bit 0 set, bit 1 cleared";
        EXPECT_EQ(0xF000u, style & 0xF000u) << "bits 12 to 15 untouched";
    }
    // Anything but 'Y' and 'N' is stored as the default.
    EXPECT_EQ("----", Codes(StyleWithCorners(0, "xy\x01n")));
}

TEST(PickerStyle, BothBitsOfACornerReadAsDefault)
{
    struct Case {
        std::uint32_t style;
        const char* codes;
    } const cases[] = {
        {0x030u, "----"}, {0x010u, "Y---"}, {0x020u, "N---"},
        {0x0C0u, "----"}, {0x300u, "----"}, {0xC00u, "----"},
        {0xFF0u, "----"}, {0x9A0u, "NNYN"} /* 10 01 10 10 from corner 3 down */,
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codes);
        EXPECT_EQ(c.codes, Codes(c.style));
    }
}

TEST(PickerStyle, OneCornerChangesOnlyItsBits)
{
    std::uint32_t style = StyleWithCorners(0, "YY-N");
    style = StyleWithCorner(style, 2, 'N'); // bottom-right: bit 9 set, bit 8 clear
    EXPECT_EQ("YYNN", Codes(style));
    EXPECT_NE(0u, style & (1u << 9));
    EXPECT_EQ(0u, style & (1u << 8));
    style = StyleWithCorner(style, 2, 'Y');
    EXPECT_EQ(0u, style & (1u << 9));
    EXPECT_NE(0u, style & (1u << 8));
    EXPECT_EQ(style, StyleWithCorner(style, 4, 'N')) << "no fifth corner";
    EXPECT_EQ(style, StyleWithCorner(style, -1, 'N'));
}

TEST(PickerLayout, AnchorsPlaceTheMarkersInTheScreenCorners)
{
    Layout layout;
    ASSERT_TRUE(LayoutFromAnchors("16 17  169 17  169 130  16 130", 24, 22, &layout));
    const int expected[kCorners][4] = {
        {16, 17, 40, 39}, {145, 17, 169, 39}, {145, 108, 169, 130}, {16, 108, 40, 130}};
    for (int corner = 0; corner < kCorners; ++corner) {
        SCOPED_TRACE(corner);
        const Box& b = layout.markers[corner];
        EXPECT_EQ(expected[corner][0], b.left);
        EXPECT_EQ(expected[corner][1], b.top);
        EXPECT_EQ(expected[corner][2], b.right);
        EXPECT_EQ(expected[corner][3], b.bottom);
    }
    EXPECT_EQ(16, layout.screen.left);
    EXPECT_EQ(130, layout.screen.bottom);
    EXPECT_EQ(169, layout.screen.right);
}

TEST(PickerLayout, MalformedAnchorsLeaveNoMarkers)
{
    for (const char* text : {"", "16 17 169", "a b c d e f g h", "16 17  169 17  169 130  16",
                             "16 17  169 17  169 130  16 99999999999", "16 17  - 17  169 130  16 130"}) {
        SCOPED_TRACE(text);
        Layout layout;
        layout.markers[0].right = 99; // poisoned
        EXPECT_FALSE(LayoutFromAnchors(text, 24, 22, &layout));
        EXPECT_EQ(-1, CornerAt(layout, 0, 0));
        EXPECT_EQ(0, layout.markers[0].right);
    }
    Layout layout;
    EXPECT_FALSE(LayoutFromAnchors(nullptr, 24, 22, &layout));
}

TEST(PickerLayout, HitTestFindsTheMarkerUnderThePoint)
{
    Layout layout;
    ASSERT_TRUE(LayoutFromAnchors("16 17  169 17  169 130  16 130", 24, 22, &layout));
    struct Case {
        int x, y, corner;
    } const cases[] = {
        {20, 20, 0},  {16, 17, 0},   {39, 38, 0},   {40, 20, -1},  {150, 20, 1},  {168, 129, 2},
        {20, 120, 3}, {100, 70, -1}, {15, 17, -1},  {169, 130, -1}, {0, 0, -1},   {-5, 200, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(c.corner, CornerAt(layout, c.x, c.y));
    }
    // Overlapping markers (a tiny screen): the last corner wins.
    ASSERT_TRUE(LayoutFromAnchors("0 0  10 0  10 10  0 10", 24, 22, &layout));
    EXPECT_EQ(3, CornerAt(layout, 5, 5));
}

TEST(PickerMenu, CommandsCarryCornerAndCode)
{
    for (int corner = 0; corner < kCorners; ++corner)
        for (int index = 0; index < 3; ++index) {
            int c = -1, i = -1;
            ASSERT_TRUE(DecodeCommand(MenuCommand(corner, index), &c, &i));
            EXPECT_EQ(corner, c);
            EXPECT_EQ(index, i);
        }
    EXPECT_EQ(0x201u, MenuCommand(2, 1));
    int c = -1, i = -1;
    for (unsigned bad : {0x003u, 0x400u, 0x2FFu, 0xFFFFu}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(DecodeCommand(bad, &c, &i));
    }
    EXPECT_TRUE(DecodeCommand(0x10202u, &c, &i)) << "only the low word counts";
    EXPECT_EQ('-', CodeAt(0));
    EXPECT_EQ('Y', CodeAt(1));
    EXPECT_EQ('N', CodeAt(2));
    EXPECT_EQ('-', CodeAt(3));
    EXPECT_EQ(-1, CodeIndex('y'));
}

TEST(PickerChecker, AlternatesByRow)
{
    EXPECT_TRUE(IsCheckerPixel(0, 0));
    EXPECT_FALSE(IsCheckerPixel(1, 0));
    EXPECT_TRUE(IsCheckerPixel(2, 0));
    EXPECT_FALSE(IsCheckerPixel(0, 1));
    EXPECT_TRUE(IsCheckerPixel(1, 1));
    EXPECT_TRUE(IsCheckerPixel(23, 21));
    EXPECT_FALSE(IsCheckerPixel(-1, 1));
}

} // namespace
