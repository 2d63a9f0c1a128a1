// Gathering a frame into arrays: the runs, the pieces and what each vertex
// carries, against the walk that the immediate-mode sink would replay.
#include <gtest/gtest.h>

#include "saver/rings/frame_arrays.h"

namespace {

const RgbaColour kRed{1, 0, 0, 0.5f}, kWhite{1, 1, 1, 1};

void Shape(FrameArrays& frame, Primitive primitive, int vertices, const RgbaColour& colour)
{
    frame.Colour(colour);
    frame.Begin(primitive);
    for (int i = 0; i < vertices; ++i)
        frame.Vertex(i, 2 * i, 0.5);
    frame.End();
}

// Fans become triangles around their first vertex, strips lines between
// neighbours, quads stay; too few vertices give no pieces.
TEST(FrameArrays, ShapesBecomeIndependentPieces)
{
    const struct {
        Primitive primitive;
        int vertices;
        std::vector<std::uint32_t> indices;
    } cases[] = {
        {Primitive::TriangleFan, 5, {0, 1, 2, 0, 2, 3, 0, 3, 4}},
        {Primitive::TriangleFan, 2, {}},
        {Primitive::LineStrip, 4, {0, 1, 1, 2, 2, 3}},
        {Primitive::LineStrip, 1, {}},
        {Primitive::Quads, 4, {0, 1, 2, 3}},
        {Primitive::Quads, 3, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.vertices);
        FrameArrays frame;
        Shape(frame, Primitive::LineStrip, 2, kWhite); // offsets the indices
        Shape(frame, c.primitive, c.vertices, kRed);
        std::vector<std::uint32_t> expected;
        for (std::uint32_t i : c.indices)
            expected.push_back(i + 2);
        ASSERT_EQ(2u, frame.Draws().size());
        const FrameDraw& draw = frame.Draws()[1];
        EXPECT_EQ(std::vector<std::uint32_t>(frame.Indices().begin() + draw.firstIndex,
                                             frame.Indices().begin() + draw.firstIndex + draw.indexCount),
                  expected);
        EXPECT_EQ(2u, draw.first);
        EXPECT_EQ(static_cast<std::size_t>(c.vertices), draw.count);
    }
}

// Consecutive shapes of one primitive, colour and texture state form one
// run, in their order; a change of any of them starts a new one.
TEST(FrameArrays, RunsKeepTheWalksOrder)
{
    FrameArrays frame;
    Shape(frame, Primitive::LineStrip, 3, kWhite);
    Shape(frame, Primitive::LineStrip, 3, kWhite);
    Shape(frame, Primitive::LineStrip, 3, kRed);
    frame.Texture(true);
    frame.TexCoord(0.25f, 0.75f);
    Shape(frame, Primitive::Quads, 4, kWhite);
    frame.Texture(false);
    Shape(frame, Primitive::LineStrip, 2, kWhite);
    Shape(frame, Primitive::TriangleFan, 3, kRed);
    Shape(frame, Primitive::LineStrip, 2, kWhite);

    const std::vector<FrameRun>& runs = frame.Runs();
    ASSERT_EQ(6u, runs.size());
    const struct {
        Primitive primitive;
        std::size_t draws, indices;
        float green;
        bool texture;
    } expected[] = {
        {Primitive::LineStrip, 2, 8, 1, false},   {Primitive::LineStrip, 1, 4, 0, false},
        {Primitive::Quads, 1, 4, 1, true},        {Primitive::LineStrip, 1, 2, 1, false},
        {Primitive::TriangleFan, 1, 3, 0, false}, {Primitive::LineStrip, 1, 2, 1, false},
    };
    std::size_t index = 0;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(expected[i].primitive, runs[i].primitive);
        EXPECT_EQ(expected[i].draws, runs[i].draws);
        EXPECT_EQ(expected[i].indices, runs[i].indexCount);
        EXPECT_EQ(expected[i].green, runs[i].colour.g);
        EXPECT_EQ(expected[i].texture, runs[i].texture);
        EXPECT_EQ(index, runs[i].firstIndex);
        index += runs[i].indexCount;
    }
    ASSERT_EQ(20u, frame.VertexCount());
    EXPECT_EQ(0.5f, runs[1].colour.a);
    EXPECT_EQ(2.0f, frame.Positions()[3 * 1 + 1]);
    // The quad's vertices carry the texture coordinate; the list ends with
    // them, the untextured vertices before them holding a place.
    EXPECT_EQ(0.75f, frame.TexCoords()[2 * 9 + 1]);
    EXPECT_EQ(0.25f, frame.TexCoords()[2 * 12]);
    EXPECT_EQ(2u * 13, frame.TexCoords().size());
}

// Vertices outside Begin and End, and an End with no Begin, are dropped as
// OpenGL drops them; Clear forgets the frame and its state.
TEST(FrameArrays, StrayCallsAddNothing)
{
    FrameArrays frame;
    frame.Vertex(1, 2, 3);
    frame.End();
    frame.Texture(true);
    frame.Colour(kRed);
    frame.Clear();
    Shape(frame, Primitive::LineStrip, 2, kWhite);
    frame.Begin(Primitive::TriangleFan);
    frame.End();
    EXPECT_EQ(2u, frame.VertexCount());
    ASSERT_EQ(1u, frame.Draws().size());
    EXPECT_FALSE(frame.Draws()[0].texture);
}

} // namespace
