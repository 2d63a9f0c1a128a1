#include "saver/rings/sgl_sinks.h"

#include "saver/framework/sgl.h"

namespace {

// The OpenGL modes of a primitive: drawn whole (immediate mode, a lone
// shape), and cut into independent pieces for the index list (triangles
// for a fan, lines for a strip, the quad itself), so that shapes of one
// kind draw together. Indexed by Primitive.
struct GlModes {
    GLenum shape;
    GLenum pieces;
};
const GlModes kModes[] = {
    {GL_TRIANGLE_FAN, GL_TRIANGLES}, // Primitive::TriangleFan
    {GL_LINE_STRIP, GL_LINES},       // Primitive::LineStrip
    {GL_QUADS, GL_QUADS},            // Primitive::Quads
};
static_assert(sizeof kModes / sizeof kModes[0] == static_cast<int>(Primitive::Quads) + 1,
              "a mode pair for every primitive");

const GlModes& ModesOf(Primitive primitive)
{
    return kModes[static_cast<int>(primitive)];
}

void SetTexture(bool on)
{
    if (on)
        sglEnable(GL_TEXTURE_2D);
    else
        sglDisable(GL_TEXTURE_2D);
}

// One small draw call costs the driver more than the few vertices it
// replaces, and a driver batches immediate-mode shapes itself: so a run of
// many shapes goes in one call and a lone shape in immediate mode.
class GatheredReplay {
public:
    explicit GatheredReplay(const FrameArrays& frame) : frame_(frame)
    {
        sglVertexPointer(3, GL_FLOAT, 0, frame.Positions().data());
        sglTexCoordPointer(2, GL_FLOAT, 0, frame.TexCoords().data());
        sglEnableClientState(GL_VERTEX_ARRAY);
    }
    ~GatheredReplay()
    {
        SetTexturing(false);
        sglDisableClientState(GL_VERTEX_ARRAY);
    }
    GatheredReplay(const GatheredReplay&) = delete;
    GatheredReplay& operator=(const GatheredReplay&) = delete;

    void Draw(const FrameRun& run)
    {
        SetTexturing(run.texture);
        SetColour(run.colour);
        if (run.draws > 1)
            sglDrawElements(ModesOf(run.primitive).pieces, static_cast<GLsizei>(run.indexCount),
                            GL_UNSIGNED_INT, frame_.Indices().data() + run.firstIndex);
        else
            DrawShape(frame_.Draws()[run.firstDraw]);
    }

private:
    void SetTexturing(bool on)
    {
        if (on == texture_)
            return;
        texture_ = on;
        SetTexture(on);
        if (on)
            sglEnableClientState(GL_TEXTURE_COORD_ARRAY);
        else
            sglDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    void SetColour(const RgbaColour& c)
    {
        if (colourKnown_ && SameColour(c, colour_))
            return;
        sglColor4f(c.r, c.g, c.b, c.a);
        colour_ = c;
        colourKnown_ = true;
    }
    void DrawShape(const FrameDraw& draw)
    {
        // Texture coordinates exist only for textured vertices.
        const float* position = &frame_.Positions()[3 * draw.first];
        const float* tex = draw.texture ? &frame_.TexCoords()[2 * draw.first] : nullptr;
        sglBegin(ModesOf(draw.primitive).shape);
        for (std::size_t i = 0; i < draw.count; ++i, position += 3) {
            if (tex) {
                sglTexCoord2f(tex[0], tex[1]);
                tex += 2;
            }
            sglVertex3f(position[0], position[1], position[2]);
        }
        sglEnd();
    }

    const FrameArrays& frame_;
    RgbaColour colour_{1, 1, 1, 1};
    bool colourKnown_ = false;
    bool texture_ = false;
};

} // namespace

void SglImmediateSink::Begin(Primitive primitive)
{
    sglBegin(ModesOf(primitive).shape);
}

void SglImmediateSink::End()
{
    sglEnd();
}

void SglImmediateSink::Colour(const RgbaColour& c)
{
    sglColor4f(c.r, c.g, c.b, c.a);
}

void SglImmediateSink::TexCoord(float s, float t)
{
    sglTexCoord2f(s, t);
}

void SglImmediateSink::Vertex(double x, double y, double z)
{
    sglVertex3d(x, y, z);
}

void SglImmediateSink::Texture(bool on)
{
    SetTexture(on);
}

void SglDrawGathered(const FrameArrays& frame)
{
    if (frame.Runs().empty())
        return;
    GatheredReplay replay(frame);
    for (const FrameRun& run : frame.Runs())
        replay.Draw(run);
}
