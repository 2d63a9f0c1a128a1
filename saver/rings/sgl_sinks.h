// The two ways the walk's frame reaches the loaded OpenGL driver (through
// the sgl layer): each primitive as it comes, in immediate mode, or a frame
// gathered first (frame_arrays.h) and drawn a run at a time. Both give the
// same primitives, colours and texture states, so the same pixels.
#pragma once
#include "saver/rings/frame_arrays.h"
#include "saver/rings/ring_draw.h"

// Immediate mode: a driver call per vertex, colour and shape.
class SglImmediateSink : public RingSink {
public:
    void Begin(Primitive primitive) override;
    void End() override;
    void Colour(const RgbaColour& colour) override;
    void TexCoord(float s, float t) override;
    void Vertex(double x, double y, double z) override;
    void Texture(bool on) override;
};

// Draws a gathered frame in the walk's order: a run of many shapes in one
// call from the vertex arrays, a lone shape in immediate mode. Only where
// sglHasVertexArrays() says the driver has what this calls.
void SglDrawGathered(const FrameArrays& frame);
