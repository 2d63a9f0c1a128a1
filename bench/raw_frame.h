// The raw OpenGL baseline: one frame of the ring walk recorded as plain
// shapes and vertices, drawn again by the plainest immediate-mode loop
// straight on opengl32 (no sgl layer, no sink, no tree walk).
#pragma once
#include <windows.h>
#include <GL/gl.h>

#include <cstddef>
#include <vector>

#include "saver/rings/ring_draw.h"

// What a walk hands to its sink, counted.
class CountingSink : public RingSink {
public:
    void Begin(Primitive) override { ++shapes; }
    void End() override {}
    void Colour(const RgbaColour&) override { ++colours; }
    void TexCoord(float, float) override {}
    void Vertex(double, double, double) override { ++vertices; }
    void Texture(bool) override {}

    std::size_t shapes = 0, vertices = 0, colours = 0;
};

struct RawVertex {
    double x, y, z;
    float s, t;
};

struct RawShape {
    Primitive primitive;
    GLenum mode;
    RgbaColour colour;
    bool textured;
    std::size_t first, count; // a run of RawFrame::vertices
};

struct RawFrame {
    std::vector<RawShape> shapes;
    std::vector<RawVertex> vertices;
    GLdouble modelview[16] = {};
};

// Largest frame the baseline records (Number 15 needs about half a million).
constexpr std::size_t kMaxRawVertices = 4u << 20;

// Records what a walk draws into storage sized by a counting walk first;
// anything past that size is dropped and marks the record as cut.
class RecordingSink : public RingSink {
public:
    RecordingSink(RawFrame& frame, std::size_t shapes, std::size_t vertices);
    void Begin(Primitive primitive) override;
    void End() override {}
    void Colour(const RgbaColour& colour) override { colour_ = colour; }
    void TexCoord(float s, float t) override;
    void Vertex(double x, double y, double z) override;
    void Texture(bool on) override { textured_ = on; }
    bool Cut() const { return cut_; }

private:
    RawFrame& frame_;
    RgbaColour colour_{1, 1, 1, 1};
    bool textured_ = false;
    float s_ = 0, t_ = 0;
    bool open_ = false;
    bool cut_ = false;
};

// Clears, loads the recorded camera and draws every shape.
void DrawRawFrame(const RawFrame& frame);
// The same replay through the sgl layer's forwarders (the loaded driver).
void DrawRawFrameSgl(const RawFrame& frame);
// The same replay handed to a sink (the saver's immediate-mode sink: its
// virtual calls and the forwarders, without the walk).
void DrawRawFrameInto(const RawFrame& frame, RingSink& sink);
