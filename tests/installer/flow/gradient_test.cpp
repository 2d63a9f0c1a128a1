#include <gtest/gtest.h>

#include "installer/flow/gradient.h"

namespace {

TEST(BackdropGradient, BandsTileTheClientAreaFromBlueToBlack)
{
    for (int height : {768, 740, 600, 256, 1}) {
        SCOPED_TRACE(height);
        int previousBottom = 0;
        for (int i = 0; i < kBackdropBands; ++i) {
            BackdropBand band = BackdropBandAt(i, 1024, height);
            EXPECT_EQ(previousBottom, band.top) << "band " << i;
            EXPECT_LE(band.top, band.bottom);
            EXPECT_EQ(0, band.left);
            EXPECT_EQ(1025, band.right); // one pixel beyond the client width
            EXPECT_EQ(255 - i, band.blue);
            EXPECT_EQ(0, band.red);
            EXPECT_EQ(0, band.green);
            previousBottom = band.bottom;
        }
        EXPECT_EQ(height, previousBottom);
    }
}

TEST(BackdropGradient, ShortClientAreasHaveEmptyBands)
{
    int empty = 0;
    for (int i = 0; i < kBackdropBands; ++i) {
        BackdropBand band = BackdropBandAt(i, 100, 100);
        empty += band.top == band.bottom;
    }
    EXPECT_EQ(156, empty);
    // 768 pixels: three rows a band; band 128 starts at row 384.
    EXPECT_EQ(384, BackdropBandAt(128, 1024, 768).top);
    EXPECT_EQ(3, BackdropBandAt(0, 1024, 768).bottom);
}

} // namespace
