// The OpenGL layer's own maths against the textbook formulas.
#include <gtest/gtest.h>

#include <cmath>

#include "saver/framework/sglmath.h"

namespace {

const double kPi = 3.14159265358979323846;

// Row-major reading of a column-major matrix.
double At(const double m[16], int row, int col)
{
    return m[col * 4 + row];
}

void Transform(const double m[16], const double in[4], double out[4])
{
    for (int row = 0; row < 4; ++row) {
        out[row] = 0;
        for (int k = 0; k < 4; ++k)
            out[row] += At(m, row, k) * in[k];
    }
}

void ExpectMatrixNear(const double expected[4][4], const double m[16])
{
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col) {
            SCOPED_TRACE(testing::Message() << "row " << row << " col " << col);
            EXPECT_NEAR(expected[row][col], At(m, row, col), 1e-12);
        }
}

TEST(Perspective, MatchesTheTextbookMatrix)
{
    const double fovys[] = {30.0, 45.0, 90.0, 120.0};
    const double aspects[] = {0.5, 1.0, 4.0 / 3.0, 16.0 / 9.0};
    for (double fovy : fovys)
        for (double aspect : aspects) {
            SCOPED_TRACE(testing::Message() << fovy << " " << aspect);
            double zNear = 0.001;
            double zFar = 50.0;
            double f = 1.0 / std::tan(fovy * kPi / 360.0);
            const double expected[4][4] = {
                {f / aspect, 0, 0, 0},
                {0, f, 0, 0},
                {0, 0, (zFar + zNear) / (zNear - zFar), 2 * zFar * zNear / (zNear - zFar)},
                {0, 0, -1, 0},
            };
            double m[16];
            ASSERT_TRUE(sgl::PerspectiveMatrix(fovy, aspect, zNear, zFar, m));
            ExpectMatrixNear(expected, m);
        }
}

TEST(Perspective, NearAndFarPlanesMapToTheDepthRange)
{
    double m[16];
    ASSERT_TRUE(sgl::PerspectiveMatrix(60.0, 1.5, 0.5, 20.0, m));
    double nearPoint[4] = {0, 0, -0.5, 1};
    double farPoint[4] = {0, 0, -20.0, 1};
    double out[4];
    Transform(m, nearPoint, out);
    EXPECT_NEAR(-1.0, out[2] / out[3], 1e-12);
    Transform(m, farPoint, out);
    EXPECT_NEAR(1.0, out[2] / out[3], 1e-12);
}

TEST(Perspective, RefusesDegenerateInput)
{
    double m[16] = {42};
    EXPECT_FALSE(sgl::PerspectiveMatrix(90.0, 0.0, 1.0, 2.0, m));
    EXPECT_FALSE(sgl::PerspectiveMatrix(90.0, 1.0, 1.0, 1.0, m));
    EXPECT_FALSE(sgl::PerspectiveMatrix(0.0, 1.0, 1.0, 2.0, m));
    EXPECT_EQ(42, m[0]);
}

TEST(LookAt, MatchesTheTextbookMatrix)
{
    struct View {
        double eye[3], centre[3], up[3];
    } views[] = {
        {{0, 0, 2}, {0, 0, 0}, {0, 1, 0}},
        {{0, 1.2, 0.3}, {0, 0, 0}, {0, 1, 0}},
        {{3, -2, 5}, {1, 1, 1}, {0, 0, 1}},
        {{-1, 4, 2}, {0.5, 0, -3}, {1, 1, 0}},
    };
    for (const View& v : views) {
        SCOPED_TRACE(testing::Message() << v.eye[0] << "," << v.eye[1] << "," << v.eye[2]);
        double f[3] = {v.centre[0] - v.eye[0], v.centre[1] - v.eye[1], v.centre[2] - v.eye[2]};
        double fl = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
        for (double& x : f)
            x /= fl;
        double s[3] = {f[1] * v.up[2] - f[2] * v.up[1], f[2] * v.up[0] - f[0] * v.up[2],
                       f[0] * v.up[1] - f[1] * v.up[0]};
        double sl = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
        for (double& x : s)
            x /= sl;
        double u[3] = {s[1] * f[2] - s[2] * f[1], s[2] * f[0] - s[0] * f[2],
                       s[0] * f[1] - s[1] * f[0]};
        auto dot = [&](const double a[3]) {
            return a[0] * v.eye[0] + a[1] * v.eye[1] + a[2] * v.eye[2];
        };
        const double expected[4][4] = {
            {s[0], s[1], s[2], -dot(s)},
            {u[0], u[1], u[2], -dot(u)},
            {-f[0], -f[1], -f[2], dot(f)},
            {0, 0, 0, 1},
        };
        double m[16];
        ASSERT_TRUE(sgl::LookAtMatrix(v.eye[0], v.eye[1], v.eye[2], v.centre[0], v.centre[1],
                                      v.centre[2], v.up[0], v.up[1], v.up[2], m));
        ExpectMatrixNear(expected, m);
        // The centre lies straight ahead on the negative z axis.
        double centre[4] = {v.centre[0], v.centre[1], v.centre[2], 1};
        double out[4];
        Transform(m, centre, out);
        EXPECT_NEAR(0.0, out[0], 1e-12);
        EXPECT_NEAR(0.0, out[1], 1e-12);
        EXPECT_NEAR(-fl, out[2], 1e-12);
    }
}

TEST(LookAt, RefusesUpAlongTheView)
{
    double m[16];
    EXPECT_FALSE(sgl::LookAtMatrix(0, 0, 2, 0, 0, 0, 0, 0, 1, m));
    EXPECT_FALSE(sgl::LookAtMatrix(1, 1, 1, 1, 1, 1, 0, 1, 0, m));
}

TEST(Ortho2D, MapsTheRectangleToTheClipSquare)
{
    double m[16];
    ASSERT_TRUE(sgl::OrthoMatrix(0, 640, 480, 0, -1, 1, m));
    double corners[2][4] = {{0, 480, 0, 1}, {640, 0, 0, 1}};
    double out[4];
    Transform(m, corners[0], out);
    EXPECT_NEAR(-1, out[0], 1e-12);
    EXPECT_NEAR(-1, out[1], 1e-12);
    Transform(m, corners[1], out);
    EXPECT_NEAR(1, out[0], 1e-12);
    EXPECT_NEAR(1, out[1], 1e-12);
    EXPECT_FALSE(sgl::OrthoMatrix(1, 1, 0, 1, -1, 1, m));
}

TEST(PickMatrix, BlowsTheRegionUpToTheViewport)
{
    const int viewport[4] = {10, 20, 200, 100};
    double m[16];
    ASSERT_TRUE(sgl::PickMatrix(60, 70, 4, 2, viewport, m));
    // The pick point's normalised position moves to the centre...
    double ndcX = (60.0 - 10) / 200 * 2 - 1;
    double ndcY = (70.0 - 20) / 100 * 2 - 1;
    double point[4] = {ndcX, ndcY, 0.3, 1};
    double out[4];
    Transform(m, point, out);
    EXPECT_NEAR(0, out[0], 1e-12);
    EXPECT_NEAR(0, out[1], 1e-12);
    EXPECT_NEAR(0.3, out[2], 1e-12);
    // ...and the region's edge to the clip square's edge.
    double edge[4] = {ndcX + 4.0 / 200, ndcY + 2.0 / 100, 0, 1};
    Transform(m, edge, out);
    EXPECT_NEAR(1, out[0], 1e-12);
    EXPECT_NEAR(1, out[1], 1e-12);
    EXPECT_FALSE(sgl::PickMatrix(60, 70, 0, 2, viewport, m));
}

TEST(UnProject, InvertsTheProjectionOfAPoint)
{
    double model[16];
    double proj[16];
    ASSERT_TRUE(sgl::LookAtMatrix(0.3, 1.1, 2.0, 0, 0, 0, 0, 1, 0, model));
    ASSERT_TRUE(sgl::PerspectiveMatrix(70.0, 1.25, 0.1, 30.0, proj));
    const int viewport[4] = {0, 0, 500, 400};
    const double points[][3] = {{0, 0, 0}, {0.5, -0.25, 0.125}, {-1, 1, -2}};
    for (const auto& p : points) {
        double in[4] = {p[0], p[1], p[2], 1};
        double eye[4];
        double clip[4];
        Transform(model, in, eye);
        Transform(proj, eye, clip);
        double winX = viewport[0] + viewport[2] * (clip[0] / clip[3] + 1) / 2;
        double winY = viewport[1] + viewport[3] * (clip[1] / clip[3] + 1) / 2;
        double winZ = (clip[2] / clip[3] + 1) / 2;
        double x = 0, y = 0, z = 0;
        ASSERT_TRUE(sgl::UnProject(winX, winY, winZ, model, proj, viewport, &x, &y, &z));
        EXPECT_NEAR(p[0], x, 1e-9);
        EXPECT_NEAR(p[1], y, 1e-9);
        EXPECT_NEAR(p[2], z, 1e-9);
    }
}

TEST(UnProject, RefusesASingularMatrix)
{
    double zero[16] = {};
    double identity[16];
    sgl::IdentityMatrix(identity);
    const int viewport[4] = {0, 0, 10, 10};
    double x = 7, y = 7, z = 7;
    EXPECT_FALSE(sgl::UnProject(1, 1, 0.5, zero, identity, viewport, &x, &y, &z));
    EXPECT_EQ(7, x);
}

TEST(InvertMatrix, ProductWithTheInverseIsTheIdentity)
{
    double m[16];
    ASSERT_TRUE(sgl::LookAtMatrix(1, 2, 3, 0, 0.5, 0, 0, 1, 0, m));
    double p[16];
    ASSERT_TRUE(sgl::PerspectiveMatrix(50, 2, 1, 10, p));
    double mp[16];
    sgl::MultiplyMatrix(p, m, mp);
    double inverse[16];
    ASSERT_TRUE(sgl::InvertMatrix(mp, inverse));
    double product[16];
    sgl::MultiplyMatrix(mp, inverse, product);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(i % 5 == 0 ? 1.0 : 0.0, product[i], 1e-9);
}

// Pixel formats.
sgl::FormatInfo Format(bool doubleBuffer, int color, int depth, bool generic = false,
                       bool accelerated = false, bool rgba = true, bool window = true)
{
    sgl::FormatInfo f;
    f.openGLWindow = window;
    f.doubleBuffer = doubleBuffer;
    f.rgba = rgba;
    f.generic = generic;
    f.genericAccelerated = accelerated;
    f.colorBits = color;
    f.depthBits = depth;
    return f;
}

TEST(PixelFormat, DefaultDepthWishPrefersSixteenBitsOverTwentyFour)
{
    sgl::FormatInfo formats[] = {Format(true, 32, 24), Format(true, 32, 16)};
    sgl::FormatWish wish; // the defaults
    EXPECT_EQ(2, sgl::ChooseBestFormat(formats, 2, &wish));
    EXPECT_EQ(16, wish.depthBits);
    // The same in the other order: the match wins wherever it stands.
    sgl::FormatInfo swapped[] = {Format(true, 32, 16), Format(true, 32, 24)};
    sgl::FormatWish again;
    EXPECT_EQ(1, sgl::ChooseBestFormat(swapped, 2, &again));
    EXPECT_EQ(0x8000 + 0x4000 + 0x2000 + 0x1000 + 0x800 + 0x400 + 0x80 + 0x40 + 0x20 + 0x10 + 4,
              sgl::ScorePixelFormat(swapped[0], sgl::FormatWish()));
    EXPECT_EQ(0x8000 + 0x4000 + 0x2000 + 0x1000 + 0x800 + 0x80 + 0x40 + 0x20 + 0x10,
              sgl::ScorePixelFormat(swapped[1], sgl::FormatWish()));
}

TEST(PixelFormat, FirstOfEqualScoresWins)
{
    sgl::FormatInfo formats[] = {Format(true, 32, 16), Format(true, 32, 16), Format(true, 32, 16)};
    sgl::FormatWish wish;
    EXPECT_EQ(1, sgl::ChooseBestFormat(formats, 3, &wish));
}

TEST(PixelFormat, WishesAreOverwrittenWithTheChoice)
{
    sgl::FormatInfo formats[] = {Format(false, 16, 0, true, false), Format(true, 24, 32)};
    sgl::FormatWish wish;
    wish.colorBits = -1;
    wish.depthBits = -1;
    wish.doubleBuffer = 0;
    wish.acceleration = 0;
    EXPECT_EQ(1, sgl::ChooseBestFormat(formats, 2, &wish));
    EXPECT_EQ(16, wish.colorBits);
    EXPECT_EQ(0, wish.depthBits);
    EXPECT_EQ(0, wish.doubleBuffer);
    EXPECT_EQ(0, wish.acceleration);
}

TEST(PixelFormat, EachTermOfTheTable)
{
    sgl::FormatWish any;
    any.colorBits = -1;
    any.depthBits = -1;
    any.doubleBuffer = -1;
    any.acceleration = -1;
    const int base = 0x4000 + 0x2000 + 0x1000 + 0x800 + 0x400;
    struct Row {
        sgl::FormatInfo info;
        int score;
    } rows[] = {
        {Format(false, 8, 0, true, false, false, false), base},
        {Format(false, 8, 0, true, false, false, true), base + 0x8000},
        {Format(false, 8, 0, true, false, true, false), base + 0x80},
        {Format(false, 8, 0, false, false, false, false), base + 0x40},
        {Format(false, 8, 0, true, true, false, false), base + 0x40},
        {Format(false, 15, 15, true, false, false, false), base},
        {Format(false, 16, 16, true, false, false, false), base + 0x28 + 0x14},
        {Format(false, 24, 24, true, false, false, false), base + 0x20 + 0x10},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.score);
        EXPECT_EQ(row.score, sgl::ScorePixelFormat(row.info, any));
    }
}

TEST(PixelFormat, NoFormatsNoChoice)
{
    sgl::FormatWish wish;
    EXPECT_EQ(0, sgl::ChooseBestFormat(nullptr, 0, &wish));
    EXPECT_EQ(16, wish.depthBits);
}

TEST(Driver3dfx, NameInAnyCase)
{
    EXPECT_TRUE(sgl::NameIs3dfx("3DFXVGL.DLL"));
    EXPECT_TRUE(sgl::NameIs3dfx("C:\\drivers\\my3dfxgl.dll"));
    EXPECT_FALSE(sgl::NameIs3dfx("opengl32.dll"));
    EXPECT_FALSE(sgl::NameIs3dfx("3df.dll"));
    EXPECT_FALSE(sgl::NameIs3dfx(nullptr));
    EXPECT_TRUE(sgl::TextNames3dfx("3Dfx Interactive, Inc."));
    EXPECT_TRUE(sgl::TextNames3dfx("OpenGL for 3DFX"));
    EXPECT_FALSE(sgl::TextNames3dfx("Not3dfxish"));
    EXPECT_FALSE(sgl::TextNames3dfx("Mesa"));
}

TEST(Driver3dfx, PanelSizesByRequestedHeight)
{
    struct Row {
        int height, width, panelHeight;
    } rows[] = {{-1, 512, 384},  {0, 512, 384},    {439, 512, 384},  {440, 640, 480},
                {480, 640, 480}, {539, 640, 480},  {540, 800, 600},  {600, 800, 600},
                {679, 800, 600}, {680, 1024, 768}, {768, 1024, 768}, {1200, 1024, 768}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.height);
        int width = 0, height = 0;
        sgl::Size3dfxPanel(row.height, &width, &height);
        EXPECT_EQ(row.width, width);
        EXPECT_EQ(row.panelHeight, height);
    }
}

TEST(DisplayMode, DecidesByRequestAndCurrentMode)
{
    const int none[3] = {-1, -1, -1};
    const int small[3] = {640, 480, -1};
    const int other[3] = {800, 600, 16};
    EXPECT_EQ(sgl::ModeAction::None, sgl::DecideModeAction(none, none));
    EXPECT_EQ(sgl::ModeAction::Change, sgl::DecideModeAction(small, none));
    EXPECT_EQ(sgl::ModeAction::None, sgl::DecideModeAction(small, small));
    EXPECT_EQ(sgl::ModeAction::Change, sgl::DecideModeAction(other, small));
    EXPECT_EQ(sgl::ModeAction::Reset, sgl::DecideModeAction(none, small));
}

} // namespace
