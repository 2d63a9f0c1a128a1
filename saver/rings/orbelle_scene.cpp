#include "saver/rings/orbelle_scene.h"

#include <new>

#include "common/clock.h"

#include "saver/config/registry.h"
#include "saver/framework/control.h"
#include "saver/framework/pacing.h"
#include "saver/framework/panel.h"
#include "saver/framework/sgl.h"
#include "saver/rings/frame_arrays.h"
#include "saver/rings/logo_file.h"
#include "saver/rings/ring_draw.h"

namespace {

// Hands the drawing walk's primitives to the loaded OpenGL driver.
class SglSink : public RingSink {
public:
    void Begin(Primitive primitive) override
    {
        switch (primitive) {
        case Primitive::TriangleFan: sglBegin(GL_TRIANGLE_FAN); break;
        case Primitive::LineStrip: sglBegin(GL_LINE_STRIP); break;
        case Primitive::Quads: sglBegin(GL_QUADS); break;
        }
    }
    void End() override { sglEnd(); }
    void Colour(const RgbaColour& c) override { sglColor4f(c.r, c.g, c.b, c.a); }
    void TexCoord(float s, float t) override { sglTexCoord2f(s, t); }
    void Vertex(double x, double y, double z) override { sglVertex3d(x, y, z); }
    void Texture(bool on) override
    {
        if (on)
            sglEnable(GL_TEXTURE_2D);
        else
            sglDisable(GL_TEXTURE_2D);
    }
};

GLenum GlMode(Primitive primitive)
{
    switch (primitive) {
    case Primitive::TriangleFan: return GL_TRIANGLE_FAN;
    case Primitive::LineStrip: return GL_LINE_STRIP;
    case Primitive::Quads: return GL_QUADS;
    }
    return GL_POINTS;
}

// The mode of a shape's pieces in the index list.
GLenum PieceMode(Primitive primitive)
{
    switch (primitive) {
    case Primitive::TriangleFan: return GL_TRIANGLES;
    case Primitive::LineStrip: return GL_LINES;
    case Primitive::Quads: return GL_QUADS;
    }
    return GL_POINTS;
}

// Draws the gathered frame run by run, in the walk's order: a run of many
// shapes in one call from the arrays, a lone shape in immediate mode (one
// small draw call costs the driver more than the few vertices it replaces,
// and a driver batches immediate-mode shapes itself). Same primitives,
// colours and texture states as the immediate-mode sink, so same pixels.
class ArrayReplay {
public:
    explicit ArrayReplay(const FrameArrays& frame) : frame_(frame)
    {
        sglVertexPointer(3, GL_FLOAT, 0, frame.Positions().data());
        sglTexCoordPointer(2, GL_FLOAT, 0, frame.TexCoords().data());
        sglEnableClientState(GL_VERTEX_ARRAY);
    }
    ~ArrayReplay()
    {
        SetTexturing(false);
        sglDisableClientState(GL_VERTEX_ARRAY);
    }
    ArrayReplay(const ArrayReplay&) = delete;
    ArrayReplay& operator=(const ArrayReplay&) = delete;

    void Draw(const FrameRun& run)
    {
        SetTexturing(run.texture);
        SetColour(run.colour);
        if (run.draws > 1)
            sglDrawElements(PieceMode(run.primitive), static_cast<GLsizei>(run.indexCount),
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
        if (on) {
            sglEnable(GL_TEXTURE_2D);
            sglEnableClientState(GL_TEXTURE_COORD_ARRAY);
        } else {
            sglDisable(GL_TEXTURE_2D);
            sglDisableClientState(GL_TEXTURE_COORD_ARRAY);
        }
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
        sglBegin(GlMode(draw.primitive));
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

void DrawFromArrays(const FrameArrays& frame)
{
    if (frame.Runs().empty())
        return;
    ArrayReplay replay(frame);
    for (const FrameRun& run : frame.Runs())
        replay.Draw(run);
}

void TimerEvent(void* scene)
{
    static_cast<TOrbelleScene*>(scene)->AnimTimer1Timer();
}

bool IsFullScreen(TScrMode kind)
{
    return kind == smSFull;
}

} // namespace

TOrbelleScene::TOrbelleScene(TScrMode kind, std::uint32_t seed) : random_(seed), timer_(&TimerEvent, this)
{
    char project[kPathSize];
    OwnProjectName(project, sizeof project);
    LoadSettings(project, &settings_);
    Build();
    if (kind == smSPConfig)
        SetConfigPreviewFollower(this);
}

TOrbelleScene::~TOrbelleScene()
{
    if (ConfigPreviewFollower() == this)
        SetConfigPreviewFollower(nullptr);
}

void TOrbelleScene::FollowSettings(const OrbelleSettings& settings, unsigned changes)
{
    settings_ = settings;
    if (changes & kChangeNumber)
        NumberControllerChange();
    else if (changes & kChangeSpins)
        VelocityControllerChange();
    if (changes & kChangeExtraDetail)
        ExtraDetailControllerChange();
    if (changes & kChangeFileName)
        FileNameControllerChange();
}

TOrbelleScene::TOrbelleScene(const OrbelleSettings& settings, std::uint32_t seed)
    : settings_(settings), random_(seed), timer_(&TimerEvent, this)
{
    Build();
}

void TOrbelleScene::Build()
{
    timer_.Interval = ScrFrameInterval();
    timer_.Rate = ScrFrameRate();
    BuildTilt(tilt_);
    BuildRings();
    LoadLogo();
}

void TOrbelleScene::Configure(TSglPanel& panel, TScrMode kind)
{
    panel_ = &panel;
    if (IsFullScreen(kind)) {
        const ScreenMode& mode = settings_.mode;
        panel.SetScreenDimensions(mode.width, mode.height, mode.depth);
        // No driver chosen at all: the system's own.
        panel.SetglDriver(settings_.driver[0] ? settings_.driver : "OPENGL32.DLL");
    } else {
        panel.SetglDriver("OPENGL32.DLL");
    }
    timer_.Start();
}

void TOrbelleScene::GLInit(TSglPanel& panel)
{
    panel_ = &panel;
    contextReady_ = true;
    timer_.SwapPaces = panel.SwapSynchronised();
    sglClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    sglShadeModel(GL_FLAT);
    sglEnable(GL_BLEND);
    sglBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    UploadLogo();
    sglTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    sglTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    sglTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    sglTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    sglTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    sglDisable(GL_TEXTURE_2D);
    Resize(panel);
}

void TOrbelleScene::Resize(TSglPanel& panel)
{
    // Full screen, the scene keeps to the primary monitor; glClear still
    // clears the whole window, so the other monitors stay black.
    scr::ScreenRect scene = panel.SceneViewport();
    int width = scene.width > 0 ? scene.width : 1;
    int height = scene.height > 0 ? scene.height : 1;
    sglViewport(scene.left, scene.top, width, height);
    sglMatrixMode(GL_PROJECTION);
    sglLoadIdentity();
    double aspect = static_cast<double>(width) / height;
    // 90 / aspect keeps the horizontal view about the same for any shape.
    sgluPerspective(90.0 / aspect, aspect, 0.001, 50.0);
    sglMatrixMode(GL_MODELVIEW);
}

void TOrbelleScene::GLPaint(TSglPanel& panel)
{
    DrawFrame();
    panel.SwapBuffers();
}

void TOrbelleScene::DrawFrame()
{
    sglClear(GL_COLOR_BUFFER_BIT);
    sglMatrixMode(GL_MODELVIEW);
    sglPushMatrix();
    sglLoadIdentity();
    Vec3 eye = EyePosition(motion_.camPhase, settings_.camera);
    sgluLookAt(eye.x, eye.y, eye.z, 0, 0, 0, 0, 1, 0);
    sglRotatef(motion_.rotX, 1, 0, 0);
    sglRotatef(motion_.rotY, 0, 1, 0);
    sglRotatef(motion_.rotZ, 0, 0, 1);

    LookOptions look;
    look.flat = settings_.flat;
    look.monochrome = settings_.monochrome;
    look.useImage = settings_.useImage && logo_.size > 0;
    TexRect tex{logo_.s0, logo_.t0, logo_.s1, logo_.t1};
    // Where the driver has vertex arrays a monochrome frame, outlines only,
    // is gathered first and drawn a run at a time: a handful of calls into
    // the driver instead of one per vertex, each of which costs a crossing to
    // the 64-bit side for a 32-bit program on 64-bit Windows. A colour frame
    // alternates fills and outlines, so no run holds two shapes; it is drawn
    // in immediate mode, which the driver batches better than a call a shape.
    SglSink immediate;
    bool gather = settings_.monochrome && sglHasVertexArrays();
    if (gather)
        frame_.Clear();
    RingSink& sink = gather ? static_cast<RingSink&>(frame_) : immediate;
    if (settings_.flat)
        DrawFlat(tree_, look, tex, sink);
    else
        Draw3D(tree_, tilt_, look, tex, sink);
    if (gather)
        DrawFromArrays(frame_);
    fromArrays_ = gather;

    sglPopMatrix();
}

void TOrbelleScene::AnimTimer1Timer()
{
    if (!ScrCheckPreviewHost())
        return;
    if (AdvanceTo(timeGetTime()) && panel_ && panel_->Window())
        InvalidateRect(panel_->Window(), nullptr, FALSE);
}

bool TOrbelleScene::AdvanceTo(std::uint32_t now)
{
    return AdvanceMotion(motion_, tree_, settings_.camera, now);
}

void TOrbelleScene::NumberControllerChange()
{
    BuildRings();
}

void TOrbelleScene::VelocityControllerChange()
{
    BuildSpins(tree_, Options(), random_);
}

void TOrbelleScene::FileNameControllerChange()
{
    LoadLogo();
}

void TOrbelleScene::ExtraDetailControllerChange()
{
    BuildLevels(tree_, Options());
}

RingOptions TOrbelleScene::Options() const
{
    RingOptions options;
    options.number = settings_.number;
    options.velocity = settings_.velocity;
    options.sync = settings_.sync;
    options.extraDetail = settings_.extraDetail;
    return options;
}

void TOrbelleScene::BuildRings()
{
    ::BuildRings(tree_, Options(), random_);
}

void TOrbelleScene::LoadLogo()
{
    logo_ = LoadLogoTexture(GetModuleHandleA(nullptr), settings_.fileName);
    if (contextReady_ && panel_ && panel_->Context())
        UploadLogo();
}

void TOrbelleScene::UploadLogo()
{
    if (logo_.size <= 0)
        return;
    sglPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    sglTexImage2D(GL_TEXTURE_2D, 0, 4, logo_.size, logo_.size, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                  logo_.pixels.data());
}

TScrScene* CreateScrScene(TScrMode kind)
{
    // Seeded with the time in seconds: every run draws a new tree.
    return new (std::nothrow) TOrbelleScene(kind, SecondsSince1970());
}
