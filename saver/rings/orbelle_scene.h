// The Orbelle scene on the saver window: the ring tree, its camera, the logo
// texture and the frame pacing. Runs on the window's thread only.
#pragma once
#include "saver/config/settings.h"
#include "saver/framework/scene.h"
#include "saver/framework/anim_timer.h"
#include "saver/rings/frame_arrays.h"
#include "saver/rings/logo.h"
#include "saver/rings/rings.h"

// How the walk draws for these settings with this logo (the image only
// where the logo loaded), and the logo's part of its texture.
LookOptions SceneLook(const OrbelleSettings& settings, const LogoTexture& logo);
TexRect LogoTexRect(const LogoTexture& logo);

class TOrbelleScene : public TScrScene, public TSettingsFollower {
public:
    // Builds the tables, the rings and the logo for the settings; the seed
    // chooses the tree (fixed in tests and benchmarks).
    TOrbelleScene(const OrbelleSettings& settings, std::uint32_t seed);
    ~TOrbelleScene() override;

    void Configure(TSglPanel& panel, TScrMode kind) override;
    void GLInit(TSglPanel& panel) override;
    void Resize(TSglPanel& panel) override;
    void GLPaint(TSglPanel& panel) override;
    // Draws one frame into the back buffer, without the swap.
    void DrawFrame();
    // Whether the last frame was drawn from vertex arrays (else in
    // immediate mode).
    bool FrameFromArrays() const { return fromArrays_; }
    // Paced by the animation timer, not by the window's WM_TIMER.
    unsigned TimerInterval() const override { return 0; }
    void StopFrames() override { timer_.Stop(); }

    // The animation timer's event: advance the motion, ask for a frame.
    void AnimTimer1Timer();
    // Advances the motion to a time in milliseconds, as a timer event at
    // that time would; true when anything moved.
    bool AdvanceTo(std::uint32_t now);

    // The configuration dialog's changes, in the live preview (smSPConfig).
    void FollowSettings(const OrbelleSettings& settings, unsigned changes) override;

    // What the live preview's setting changes rebuild.
    void NumberControllerChange();
    void VelocityControllerChange();
    void FileNameControllerChange();
    void ExtraDetailControllerChange();

    OrbelleSettings& Settings() { return settings_; }
    const RingTree& Tree() const { return tree_; }
    const Motion& MotionState() const { return motion_; }

private:
    void Build();
    RingOptions Options() const;
    void BuildRings();
    void LoadLogo();
    void UploadLogo();

    OrbelleSettings settings_;
    RingRandom random_;
    RingTree tree_;
    TiltTable tilt_;
    Motion motion_;
    LogoTexture logo_;
    FrameArrays frame_; // the last frame gathered, its arrays kept for the next
    bool fromArrays_ = false;
    TSglPanel* panel_ = nullptr;
    bool contextReady_ = false;
    TAnimTimer timer_;
};
