#include "bench/raw_frame.h"

#include "saver/framework/sgl.h"

namespace {

GLenum ModeOf(Primitive primitive)
{
    switch (primitive) {
    case Primitive::TriangleFan: return GL_TRIANGLE_FAN;
    case Primitive::LineStrip: return GL_LINE_STRIP;
    case Primitive::Quads: return GL_QUADS;
    }
    return GL_POINTS;
}

} // namespace

RecordingSink::RecordingSink(RawFrame& frame, std::size_t shapes, std::size_t vertices)
    : frame_(frame)
{
    frame_.shapes.clear();
    frame_.vertices.clear();
    frame_.shapes.reserve(shapes);
    frame_.vertices.reserve(vertices < kMaxRawVertices ? vertices : kMaxRawVertices);
}

void RecordingSink::Begin(Primitive primitive)
{
    open_ = frame_.shapes.size() < frame_.shapes.capacity();
    if (!open_) {
        cut_ = true;
        return;
    }
    frame_.shapes.push_back({primitive, ModeOf(primitive), colour_, textured_, frame_.vertices.size(), 0});
}

void RecordingSink::TexCoord(float s, float t)
{
    s_ = s;
    t_ = t;
}

void RecordingSink::Vertex(double x, double y, double z)
{
    // Never grow past the counted size: the baseline must not reallocate.
    if (!open_ || frame_.vertices.size() >= frame_.vertices.capacity()) {
        cut_ = true;
        return;
    }
    frame_.vertices.push_back({x, y, z, s_, t_});
    ++frame_.shapes.back().count;
}

void DrawRawFrame(const RawFrame& frame)
{
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixd(frame.modelview);
    const RawVertex* vertices = frame.vertices.data();
    for (const RawShape& shape : frame.shapes) {
        glColor4f(shape.colour.r, shape.colour.g, shape.colour.b, shape.colour.a);
        if (shape.textured)
            glEnable(GL_TEXTURE_2D);
        glBegin(shape.mode);
        const RawVertex* v = vertices + shape.first;
        for (std::size_t i = 0; i < shape.count; ++i, ++v) {
            if (shape.textured)
                glTexCoord2f(v->s, v->t);
            glVertex3d(v->x, v->y, v->z);
        }
        glEnd();
        if (shape.textured)
            glDisable(GL_TEXTURE_2D);
    }
}

void DrawRawFrameSgl(const RawFrame& frame)
{
    sglClear(GL_COLOR_BUFFER_BIT);
    sglMatrixMode(GL_MODELVIEW);
    sglLoadIdentity();
    sglMultMatrixd(frame.modelview);
    const RawVertex* vertices = frame.vertices.data();
    for (const RawShape& shape : frame.shapes) {
        sglColor4f(shape.colour.r, shape.colour.g, shape.colour.b, shape.colour.a);
        if (shape.textured)
            sglEnable(GL_TEXTURE_2D);
        sglBegin(shape.mode);
        const RawVertex* v = vertices + shape.first;
        for (std::size_t i = 0; i < shape.count; ++i, ++v) {
            if (shape.textured)
                sglTexCoord2f(v->s, v->t);
            sglVertex3d(v->x, v->y, v->z);
        }
        sglEnd();
        if (shape.textured)
            sglDisable(GL_TEXTURE_2D);
    }
}

void DrawRawFrameInto(const RawFrame& frame, RingSink& sink)
{
    sglClear(GL_COLOR_BUFFER_BIT);
    sglMatrixMode(GL_MODELVIEW);
    sglLoadIdentity();
    sglMultMatrixd(frame.modelview);
    const RawVertex* vertices = frame.vertices.data();
    for (const RawShape& shape : frame.shapes) {
        sink.Colour(shape.colour);
        if (shape.textured)
            sink.Texture(true);
        sink.Begin(shape.primitive);
        const RawVertex* v = vertices + shape.first;
        for (std::size_t i = 0; i < shape.count; ++i, ++v) {
            if (shape.textured)
                sink.TexCoord(v->s, v->t);
            sink.Vertex(v->x, v->y, v->z);
        }
        sink.End();
        if (shape.textured)
            sink.Texture(false);
    }
}
