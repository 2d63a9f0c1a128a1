#include "saver/rings/orbelle_scene.h"

#include <new>

#include "saver/framework/control.h"
#include "saver/framework/pacing.h"
#include "saver/framework/panel.h"
#include "saver/framework/sgl.h"
#include "saver/rings/logo_file.h"
#include "saver/rings/ring_draw.h"
#include "saver/rings/sgl_sinks.h"

namespace {

void TimerEvent(void* scene)
{
    static_cast<TOrbelleScene*>(scene)->AnimTimer1Timer();
}

bool IsFullScreen(TScrMode kind)
{
    return kind == smSFull;
}

} // namespace

LookOptions SceneLook(const OrbelleSettings& settings, const LogoTexture& logo)
{
    LookOptions look;
    look.flat = settings.flat;
    look.monochrome = settings.monochrome;
    look.useImage = settings.useImage && logo.size > 0;
    return look;
}

TexRect LogoTexRect(const LogoTexture& logo)
{
    return TexRect{logo.s0, logo.t0, logo.s1, logo.t1};
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
    timer_.Pace = ScrFramePace(false);
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
    // The context may have come with a new display mode and a swap that
    // waits for its refresh.
    timer_.Pace = ScrFramePace(panel.SwapSynchronised());
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

    LookOptions look = SceneLook(settings_, logo_);
    TexRect tex = LogoTexRect(logo_);
    // Where the driver has vertex arrays a monochrome frame, outlines only,
    // is gathered first and drawn a run at a time: a handful of calls into
    // the driver instead of one per vertex, each of which costs a crossing to
    // the 64-bit side for a 32-bit program on 64-bit Windows. A colour frame
    // alternates fills and outlines, so no run holds two shapes; it is drawn
    // in immediate mode, which the driver batches better than a call a shape.
    SglImmediateSink immediate;
    bool gather = settings_.monochrome && sglHasVertexArrays();
    if (gather)
        frame_.Clear();
    RingSink& sink = gather ? static_cast<RingSink&>(frame_) : immediate;
    if (settings_.flat)
        DrawFlat(tree_, look, tex, sink);
    else
        Draw3D(tree_, tilt_, look, tex, sink);
    if (gather)
        SglDrawGathered(frame_);
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
