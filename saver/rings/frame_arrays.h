// One frame's primitives gathered into arrays, so that a driver with vertex
// arrays draws each run of shapes in one call instead of one call per
// vertex. No windows.h: also built natively.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "saver/rings/ring_draw.h"

// One shape as the walk gave it: its vertices, the colour current at its
// start, the texture state, and the same shape as independent pieces
// (triangles for a fan, lines for a strip, the quad itself) in the index
// list, so that shapes of one kind can be drawn together.
struct FrameDraw {
    Primitive primitive;
    std::size_t first;      // index of its first vertex
    std::size_t count;      // its vertices
    std::size_t firstIndex; // its pieces in the index list
    std::size_t indexCount;
    RgbaColour colour;
    bool texture;
};

// Consecutive shapes of one primitive, one colour and one texture state,
// drawn in one call from the index list (their order kept, so blending
// gives the same pixels). A run of one shape is drawn as that shape.
struct FrameRun {
    Primitive primitive;
    std::size_t firstDraw, draws;
    std::size_t firstIndex, indexCount;
    RgbaColour colour;
    bool texture;
};

class FrameArrays : public RingSink {
public:
    // Forgets the last frame; the arrays keep their capacity.
    void Clear();

    void Begin(Primitive primitive) override;
    void End() override;
    void Colour(const RgbaColour& colour) override;
    void TexCoord(float s, float t) override;
    void Vertex(double x, double y, double z) override;
    void Texture(bool on) override;

    // Per vertex x, y, z, as floats: a driver keeps immediate mode's double
    // vertices as floats too, so the pixels are the same.
    const std::vector<float>& Positions() const { return positions_; }
    // Per vertex s, t: the texture coordinate current when the vertex came,
    // as immediate mode keeps it; only vertices drawn with the texture on
    // need one, so the list ends at the last of them.
    const std::vector<float>& TexCoords() const { return texCoords_; }
    const std::vector<std::uint32_t>& Indices() const { return indices_; }
    const std::vector<FrameDraw>& Draws() const { return draws_; }
    const std::vector<FrameRun>& Runs() const { return runs_; }
    std::size_t VertexCount() const { return positions_.size() / 3; }

private:
    void AddPieces(std::size_t first, std::size_t count);
    void AddToRuns(const FrameDraw& draw);

    std::vector<float> positions_;
    std::vector<float> texCoords_;
    std::vector<std::uint32_t> indices_;
    std::vector<FrameDraw> draws_;
    std::vector<FrameRun> runs_;
    RgbaColour colour_{1, 1, 1, 1};
    float s_ = 0, t_ = 0;
    bool texture_ = false;
    bool open_ = false;
    Primitive primitive_ = Primitive::LineStrip;
    std::size_t first_ = 0;
};
