// The two drawing styles as a walk over the ring tree that hands primitives
// to a sink; the OpenGL panel's sink turns them into GL calls, the tests'
// sinks count and check them. No windows.h: also built natively.
#pragma once
#include "saver/rings/rings.h"

enum class Primitive { TriangleFan, LineStrip, Quads };

class RingSink {
public:
    virtual ~RingSink() = default;
    virtual void Begin(Primitive primitive) = 0;
    virtual void End() = 0;
    virtual void Colour(const RgbaColour& colour) = 0;
    virtual void TexCoord(float s, float t) = 0;
    virtual void Vertex(double x, double y, double z) = 0;
    virtual void Texture(bool on) = 0;
};

// The part of the logo texture the image covers.
struct TexRect {
    float s0 = 0, t0 = 0, s1 = 1, t1 = 1;
};

// Flat style: the children ride inside their parent, turned by its angle,
// all in the plane z = 0.
void DrawFlat(const RingTree& tree, const LookOptions& options, const TexRect& tex, RingSink& sink);

// 3D style: every ring on the x-axis, tilted about it by its own angle.
void Draw3D(const RingTree& tree, const TiltTable& tilt, const LookOptions& options,
            const TexRect& tex, RingSink& sink);
