#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "saver/rings/ring_draw.h"

namespace {

struct Shape {
    Primitive primitive;
    RgbaColour colour;
    bool textured;
    std::vector<Vec3> vertices;
    std::vector<std::pair<float, float>> texCoords;
};

// Records what a drawing walk hands to OpenGL.
class RecordingSink : public RingSink {
public:
    std::vector<Shape> shapes;
    int textureSwitches = 0;
    bool open = false;

    void Begin(Primitive primitive) override
    {
        ASSERT_FALSE(open);
        open = true;
        shapes.push_back({primitive, colour_, texture_, {}, {}});
    }
    void End() override
    {
        ASSERT_TRUE(open);
        open = false;
    }
    void Colour(const RgbaColour& colour) override { colour_ = colour; }
    void TexCoord(float s, float t) override { shapes.back().texCoords.push_back({s, t}); }
    void Vertex(double x, double y, double z) override
    {
        ASSERT_TRUE(open);
        shapes.back().vertices.push_back({x, y, z});
    }
    void Texture(bool on) override
    {
        texture_ = on;
        ++textureSwitches;
    }
    int Count(Primitive primitive) const
    {
        int n = 0;
        for (const Shape& s : shapes)
            n += s.primitive == primitive;
        return n;
    }

private:
    RgbaColour colour_{0, 0, 0, 0};
    bool texture_ = false;
};

RingTree Built(int number)
{
    RingOptions options;
    options.number = number;
    RingRandom random(11);
    RingTree tree;
    BuildRings(tree, options, random);
    return tree;
}

double Distance(const Vec3& a, const Vec3& b)
{
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

struct StyleCase {
    bool flat, monochrome, useImage;
};
const StyleCase kStyles[] = {{true, true, true},  {true, false, true}, {true, false, false},
                             {false, true, true}, {false, false, true}, {false, true, false}};

void Draw(const RingTree& tree, const StyleCase& style, RecordingSink& sink)
{
    LookOptions options;
    options.flat = style.flat;
    options.monochrome = style.monochrome;
    options.useImage = style.useImage;
    TexRect tex{0, 0, 0.5f, 0.5f};
    TiltTable tilt;
    BuildTilt(tilt);
    if (style.flat)
        DrawFlat(tree, options, tex, sink);
    else
        Draw3D(tree, tilt, options, tex, sink);
}

TEST(RingDrawing, EveryRingHasAnOutlineFillsOnlyInColourAndOneLogo)
{
    RingTree tree = Built(8);
    for (const StyleCase& style : kStyles) {
        SCOPED_TRACE(testing::Message() << style.flat << style.monochrome << style.useImage);
        RecordingSink sink;
        Draw(tree, style, sink);
        EXPECT_FALSE(sink.open);
        EXPECT_EQ(255, sink.Count(Primitive::LineStrip));
        EXPECT_EQ(style.monochrome ? 0 : 254, sink.Count(Primitive::TriangleFan));
        EXPECT_EQ(style.useImage ? 1 : 0, sink.Count(Primitive::Quads));
        EXPECT_EQ(style.useImage ? 2 : 0, sink.textureSwitches);
        for (const Shape& shape : sink.shapes) {
            EXPECT_EQ(shape.primitive == Primitive::Quads, shape.textured);
            if (shape.primitive == Primitive::LineStrip) {
                // Each outline is closed: the last vertex repeats the first.
                ASSERT_GE(shape.vertices.size(), 6u);
                EXPECT_EQ(0.0, Distance(shape.vertices.front(), shape.vertices.back()));
            }
        }
    }
}

TEST(RingDrawing, NumberOneDrawsOnlyTheRootOutline)
{
    RingTree tree = Built(1);
    for (const StyleCase& style : kStyles) {
        RecordingSink sink;
        Draw(tree, style, sink);
        ASSERT_EQ(1u, sink.shapes.size());
        EXPECT_EQ(Primitive::LineStrip, sink.shapes[0].primitive);
        EXPECT_EQ(41u, sink.shapes[0].vertices.size());
    }
}

TEST(RingDrawing, FlatChildrenTouchTheirParentsRimAndEachOther)
{
    RingTree tree = Built(5);
    RecordingSink sink;
    Draw(tree, {true, false, false}, sink);
    // Fans of rings 1 … 30 in drawing order; the centre is the first vertex.
    std::vector<Vec3> centres;
    for (const Shape& shape : sink.shapes)
        if (shape.primitive == Primitive::TriangleFan)
            centres.push_back(shape.vertices.front());
    ASSERT_EQ(30u, centres.size());
    // Pre-order: ring 1 is drawn first, ring 2 after ring 1's subtree of 15.
    Vec3 first = centres[0], second = centres[15];
    EXPECT_NEAR(0.5, Distance(first, {0, 0, 0}), 1e-6);
    EXPECT_NEAR(0.5, Distance(second, {0, 0, 0}), 1e-6);
    EXPECT_NEAR(1.0, Distance(first, second), 1e-6);
    EXPECT_NEAR(std::cos(tree.angle[0]) * 0.5, first.x, 1e-6);
    EXPECT_NEAR(std::sin(tree.angle[0]) * 0.5, first.y, 1e-6);
    for (const Shape& shape : sink.shapes)
        for (const Vec3& v : shape.vertices)
            ASSERT_EQ(0.0, v.z);
}

TEST(RingDrawing, TheFlatLogoIsTheTurnedCircumscribedSquare)
{
    RingTree tree = Built(3);
    RecordingSink sink;
    Draw(tree, {true, true, true}, sink);
    const Shape* quad = nullptr;
    for (const Shape& shape : sink.shapes)
        if (shape.primitive == Primitive::Quads)
            quad = &shape;
    ASSERT_NE(nullptr, quad);
    ASSERT_EQ(4u, quad->vertices.size());
    const std::pair<float, float> expected[] = {{0.5f, 0}, {0.5f, 0.5f}, {0, 0.5f}, {0, 0}};
    Vec3 centre{(quad->vertices[0].x + quad->vertices[2].x) / 2,
                (quad->vertices[0].y + quad->vertices[2].y) / 2, 0};
    for (int c = 0; c < 4; ++c) {
        SCOPED_TRACE(c);
        EXPECT_EQ(expected[c], quad->texCoords[c]);
        EXPECT_NEAR(0.25 * std::sqrt(2.0), Distance(quad->vertices[c], centre), 1e-6);
    }
    EXPECT_NEAR(std::sin(tree.angle[3]), (quad->vertices[0].x - centre.x) / (0.25 * std::sqrt(2.0)), 1e-6);
    EXPECT_FLOAT_EQ(1.0f, quad->colour.a);
}

TEST(RingDrawing, ThreeDRingsLieOnTheirTiltedPlanes)
{
    RingTree tree = Built(4);
    TiltTable tilt;
    BuildTilt(tilt);
    RecordingSink sink;
    Draw(tree, {false, true, false}, sink);
    ASSERT_EQ(15u, sink.shapes.size());
    for (int i = 0; i < tree.ringCount; ++i) {
        SCOPED_TRACE(i);
        int j = TiltIndex(tree.angle[i]);
        Vec3 centre{tree.centre[i], 0, 0};
        for (const Vec3& v : sink.shapes[i].vertices) {
            ASSERT_NEAR(tree.radius[i], Distance(v, centre), 1e-5);
            // (y, z) is a multiple of (sin, cos) of the ring's tilt.
            ASSERT_NEAR(0.0, v.y * tilt.cos[j] - v.z * tilt.sin[j], 1e-6);
        }
    }
}

TEST(RingDrawing, TheThreeDLogoSpansTheDiameter)
{
    RingTree tree = Built(3);
    RecordingSink sink;
    Draw(tree, {false, false, true}, sink);
    const Shape* quad = nullptr;
    for (const Shape& shape : sink.shapes)
        if (shape.primitive == Primitive::Quads)
            quad = &shape;
    ASSERT_NE(nullptr, quad);
    EXPECT_FLOAT_EQ(0.7f, quad->colour.a);
    double cx = tree.centre[3], r = tree.radius[3];
    EXPECT_NEAR(cx - r, quad->vertices[0].x, 1e-6);
    EXPECT_NEAR(cx + r, quad->vertices[3].x, 1e-6);
    EXPECT_NEAR(-quad->vertices[0].y, quad->vertices[1].y, 1e-9);
    EXPECT_EQ((std::pair<float, float>{0, 0}), quad->texCoords[0]);
    EXPECT_EQ((std::pair<float, float>{0.5f, 0}), quad->texCoords[3]);
}

} // namespace
