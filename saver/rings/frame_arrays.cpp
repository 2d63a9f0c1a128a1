#include "saver/rings/frame_arrays.h"

void FrameArrays::Clear()
{
    positions_.clear();
    texCoords_.clear();
    indices_.clear();
    draws_.clear();
    runs_.clear();
    colour_ = {1, 1, 1, 1};
    s_ = t_ = 0;
    texture_ = false;
    open_ = false;
}

void FrameArrays::Begin(Primitive primitive)
{
    open_ = true;
    primitive_ = primitive;
    first_ = VertexCount();
}

// A fan's triangles share its first vertex; a strip's lines join each
// vertex to the next; a quad is its own four. Too few vertices make none,
// as immediate mode draws nothing for them.
void FrameArrays::AddPieces(std::size_t first, std::size_t count)
{
    auto index = [&](std::size_t i) { indices_.push_back(static_cast<std::uint32_t>(first + i)); };
    switch (primitive_) {
    case Primitive::TriangleFan:
        for (std::size_t i = 1; i + 1 < count; ++i) {
            index(0);
            index(i);
            index(i + 1);
        }
        break;
    case Primitive::LineStrip:
        for (std::size_t i = 0; count >= 2 && i + 1 < count; ++i) {
            index(i);
            index(i + 1);
        }
        break;
    case Primitive::Quads:
        for (std::size_t quad = 0; quad + 4 <= count; quad += 4)
            for (std::size_t i = quad; i < quad + 4; ++i)
                index(i);
        break;
    }
}

void FrameArrays::AddToRuns(const FrameDraw& draw)
{
    if (!runs_.empty()) {
        FrameRun& last = runs_.back();
        if (last.primitive == draw.primitive && last.texture == draw.texture &&
            SameColour(last.colour, draw.colour)) {
            ++last.draws;
            last.indexCount += draw.indexCount;
            return;
        }
    }
    runs_.push_back({draw.primitive, draws_.size() - 1, 1, draw.firstIndex, draw.indexCount,
                     draw.colour, draw.texture});
}

void FrameArrays::End()
{
    if (!open_)
        return;
    open_ = false;
    std::size_t count = VertexCount() - first_;
    if (count == 0)
        return;
    std::size_t firstIndex = indices_.size();
    AddPieces(first_, count);
    draws_.push_back({primitive_, first_, count, firstIndex, indices_.size() - firstIndex, colour_,
                      texture_});
    AddToRuns(draws_.back());
}

void FrameArrays::Colour(const RgbaColour& colour)
{
    colour_ = colour;
}

void FrameArrays::TexCoord(float s, float t)
{
    s_ = s;
    t_ = t;
}

void FrameArrays::Vertex(double x, double y, double z)
{
    if (!open_)
        return;
    // One element at a time: the common case is a store, where a range
    // insert costs a general call per vertex.
    if (texture_) {
        texCoords_.resize(2 * VertexCount()); // the untextured ones before it
        texCoords_.push_back(s_);
        texCoords_.push_back(t_);
    }
    positions_.push_back(static_cast<float>(x));
    positions_.push_back(static_cast<float>(y));
    positions_.push_back(static_cast<float>(z));
}

void FrameArrays::Texture(bool on)
{
    texture_ = on;
}
