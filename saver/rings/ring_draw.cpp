#include "saver/rings/ring_draw.h"

#include <cmath>

namespace {

struct FlatWalk {
    const RingTree& tree;
    const LookOptions& options;
    const TexRect& tex;
    RingSink& sink;

    void Rim(int level, double x, double y, double r)
    {
        const std::vector<float>& c = tree.levelCos[level];
        const std::vector<float>& s = tree.levelSin[level];
        int n = tree.segments[level];
        for (int k = 0; k <= n; ++k) {
            int j = k == n ? 0 : k;
            sink.Vertex(x + c[j] * r, y + s[j] * r, 0);
        }
    }

    void Logo(int i, double x, double y, double r)
    {
        static const float corners[4][2] = {{1, 0}, {1, 1}, {0, 1}, {0, 0}};
        double reach = r * std::sqrt(2.0);
        sink.Texture(true);
        sink.Begin(Primitive::Quads);
        for (int c = 0; c < 4; ++c) {
            double a = tree.angle[i] + c * kPi / 2;
            sink.TexCoord(corners[c][0] ? tex.s1 : tex.s0, corners[c][1] ? tex.t1 : tex.t0);
            sink.Vertex(x + std::sin(a) * reach, y + std::cos(a) * reach, 0);
        }
        sink.End();
        sink.Texture(false);
    }

    void Ring(int i, double x, double y)
    {
        if (i >= tree.ringCount)
            return;
        int level = RingDepth(i) - 1;
        double r = tree.radius[i];
        RingLook look = RingLookOf(tree, i, options);
        if (look.drawFill) {
            sink.Colour(look.fill);
            sink.Begin(Primitive::TriangleFan);
            sink.Vertex(x, y, 0);
            Rim(level, x, y, r);
            sink.End();
        }
        if (look.drawLogo) {
            sink.Colour(look.logo);
            Logo(i, x, y, r);
        }
        sink.Colour(look.outline);
        sink.Begin(Primitive::LineStrip);
        Rim(level, x, y, r);
        sink.End();

        double h = r * 0.5;
        double a = tree.angle[i];
        Ring(2 * i + 1, x + std::cos(a) * h, y + std::sin(a) * h);
        Ring(2 * i + 2, x - std::cos(a) * h, y - std::sin(a) * h);
    }
};

void TiltedRim(const RingTree& tree, int level, double cx, double r, double ts, double tc,
               RingSink& sink)
{
    const std::vector<float>& c = tree.levelCos[level];
    const std::vector<float>& s = tree.levelSin[level];
    int n = tree.segments[level];
    for (int k = 0; k <= n; ++k) {
        int j = k == n ? 0 : k;
        sink.Vertex(cx + c[j] * r, ts * s[j] * r, tc * s[j] * r);
    }
}

void TiltedLogo(double cx, double r, double ts, double tc, const TexRect& tex, RingSink& sink)
{
    sink.Texture(true);
    sink.Begin(Primitive::Quads);
    sink.TexCoord(tex.s0, tex.t0);
    sink.Vertex(cx - r, ts * r, tc * r);
    sink.TexCoord(tex.s0, tex.t1);
    sink.Vertex(cx - r, -ts * r, -tc * r);
    sink.TexCoord(tex.s1, tex.t1);
    sink.Vertex(cx + r, -ts * r, -tc * r);
    sink.TexCoord(tex.s1, tex.t0);
    sink.Vertex(cx + r, ts * r, tc * r);
    sink.End();
    sink.Texture(false);
}

} // namespace

void DrawFlat(const RingTree& tree, const LookOptions& options, const TexRect& tex, RingSink& sink)
{
    if (tree.ringCount == 0)
        return;
    sink.Colour({1, 1, 1, 1});
    FlatWalk walk{tree, options, tex, sink};
    walk.Ring(0, 0, 0);
}

void Draw3D(const RingTree& tree, const TiltTable& tilt, const LookOptions& options,
            const TexRect& tex, RingSink& sink)
{
    for (int i = 0; i < tree.ringCount; ++i) {
        int level = RingDepth(i) - 1;
        int j = TiltIndex(tree.angle[i]);
        double ts = tilt.sin[j], tc = tilt.cos[j];
        double cx = tree.centre[i], r = tree.radius[i];
        RingLook look = RingLookOf(tree, i, options);
        if (look.drawFill) {
            sink.Colour(look.fill);
            sink.Begin(Primitive::TriangleFan);
            sink.Vertex(cx, 0, 0);
            TiltedRim(tree, level, cx, r, ts, tc, sink);
            sink.End();
        }
        if (look.drawLogo) {
            sink.Colour(look.logo);
            TiltedLogo(cx, r, ts, tc, tex, sink);
        }
        sink.Colour(look.outline);
        sink.Begin(Primitive::LineStrip);
        TiltedRim(tree, level, cx, r, ts, tc, sink);
        sink.End();
    }
}
