// The Orbelle scene on a real window under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "saver/config/registry.h"
#include "saver/framework/panel.h"
#include "saver/framework/saverform.h"
#include "saver/framework/sgl.h"
#include "saver/rings/orbelle_scene.h"
#include "saver/rings/scene_window.h"
#include "support.h"

namespace {

// Fixed frames of the scene: a seeded tree, fixed time steps, read back
// from the back buffer and compared with reference images in
// tests/saver/rings/reference. When the drawing changes on purpose,
// regenerate them by running this test with ORBELLE_UPDATE_REFERENCES set
// to that folder as Windows sees it, then look at them and commit them:
//   ORBELLE_UPDATE_REFERENCES='Z:\work\main\tests\saver\rings\reference'
//   ctest -R wine.rings.window   (with that variable exported)
const int kWidth = 128, kHeight = 96;

using Pixels = std::vector<unsigned char>; // RGB rows, bottom row first

// Reads each frame back before the swap.
class SceneOwner : public TSceneWindowOwner {
public:
    explicit SceneOwner(TOrbelleScene& scene) : TSceneWindowOwner(scene) {}
    void FrameDrawn(TSglPanel&) override
    {
        std::vector<unsigned char> rgba(kWidth * kHeight * 4);
        if (sglReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data())) {
            pixels.resize(kWidth * kHeight * 3);
            for (int i = 0; i < kWidth * kHeight; ++i)
                for (int c = 0; c < 3; ++c)
                    pixels[i * 3 + c] = rgba[i * 4 + c];
        }
    }
    Pixels pixels;
};

struct FrameCase {
    const char* name;
    bool flat, monochrome, useImage;
    int number;
};

// One frame of the case; driver null: the system's OpenGL. fromArrays, when
// given, receives whether the frame was drawn from vertex arrays.
Pixels Render(const FrameCase& c, const char* driver = nullptr, bool* fromArrays = nullptr)
{
    OrbelleSettings settings = DefaultSettings();
    settings.flat = c.flat;
    settings.monochrome = c.monochrome;
    settings.useImage = c.useImage;
    settings.number = c.number;
    TOrbelleScene scene(settings, 4242);
    scene.AdvanceTo(1000);
    scene.AdvanceTo(1000 + 2500); // 25 time units
    HWND window = MakeSceneWindow(kWidth, kHeight);
    SceneOwner owner(scene);
    Pixels pixels;
    {
        // One driver is loaded per process, and a new panel keeps the one
        // an earlier panel left loaded.
        sglFreeLibrary();
        TSglPanel panel(window, &owner);
        if (driver)
            panel.SetglDriver(driver);
        if (panel.GLHandleNeeded()) {
            panel.Paint();
            pixels = owner.pixels;
        }
        if (fromArrays)
            *fromArrays = scene.FrameFromArrays();
        EXPECT_STREQ("", owner.Error());
    }
    DestroyWindow(window);
    return pixels;
}

bool SavePpm(const std::string& path, const Pixels& pixels)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    std::fprintf(f, "P6\n%d %d\n255\n", kWidth, kHeight);
    std::fwrite(pixels.data(), 1, pixels.size(), f);
    return std::fclose(f) == 0;
}

Pixels LoadPpm(const std::string& path)
{
    std::vector<std::uint8_t> bytes = support::ReadBytes(path);
    std::string header = "P6\n" + std::to_string(kWidth) + " " + std::to_string(kHeight) + "\n255\n";
    if (bytes.size() != header.size() + kWidth * kHeight * 3 ||
        std::string(bytes.begin(), bytes.begin() + header.size()) != header)
        return {};
    return Pixels(bytes.begin() + header.size(), bytes.end());
}

struct Census {
    int lit = 0, coloured = 0;
};

Census Count(const Pixels& p)
{
    Census census;
    for (std::size_t i = 0; i + 2 < p.size(); i += 3) {
        int hi = std::max(p[i], std::max(p[i + 1], p[i + 2]));
        int lo = std::min(p[i], std::min(p[i + 1], p[i + 2]));
        census.lit += hi > 16;
        census.coloured += hi - lo > 40;
    }
    return census;
}

const FrameCase kFrames[] = {
    {"3d-mono-logo", false, true, true, 8},
    {"3d-colour", false, false, false, 8},
    {"flat-mono", true, true, false, 8},
    {"flat-colour-logo", true, false, true, 8},
};

TEST(OrbelleScene, FixedFramesMatchTheirReferences)
{
    const char* update = std::getenv("ORBELLE_UPDATE_REFERENCES");
    for (const FrameCase& c : kFrames) {
        SCOPED_TRACE(c.name);
        Pixels pixels = Render(c);
        ASSERT_EQ(static_cast<std::size_t>(kWidth * kHeight * 3), pixels.size());
        SavePpm(support::ArtifactPath(std::string("rings-") + c.name + ".ppm"), pixels);
        if (update && *update) {
            ASSERT_TRUE(SavePpm(std::string(update) + "\\" + c.name + ".ppm", pixels));
            continue;
        }
        Pixels reference = LoadPpm(support::WinPath(RINGS_REFERENCES) + "\\" + c.name + ".ppm");
        ASSERT_EQ(pixels.size(), reference.size()) << "no reference image";
        // A small tolerance for rounding in other OpenGL drivers.
        int differing = 0;
        for (std::size_t i = 0; i < pixels.size(); i += 3) {
            int d = 0;
            for (int k = 0; k < 3; ++k)
                d = std::max(d, std::abs(pixels[i + k] - reference[i + k]));
            differing += d > 24;
        }
        EXPECT_LE(differing, kWidth * kHeight / 100);
    }
}

// A driver without the vertex-array functions (the tests' forwarding
// driver exports only the functions every driver has, as 3dfx-style drivers
// do) gets every frame in immediate mode; a driver with the array path's
// functions and no others, and the system's OpenGL, get the monochrome
// frames from arrays. All give the very same pixels.
TEST(OrbelleScene, EveryDrawingPathGivesTheSamePixels)
{
    const std::string drivers = support::WinPath(SAVER_DRIVERS);
    const struct {
        const char* name;
        std::string driver;
        bool arrays; // for monochrome frames
    } paths[] = {
        {"no vertex arrays", drivers + "\\forwardgl.dll", false},
        {"the array path's functions only", drivers + "\\arrays\\arraysgl.dll", true},
    };
    for (const FrameCase& c : kFrames) {
        SCOPED_TRACE(c.name);
        bool systemArrays = false;
        Pixels system = Render(c, "OPENGL32.DLL", &systemArrays);
        EXPECT_EQ(c.monochrome, systemArrays);
        ASSERT_EQ(static_cast<std::size_t>(kWidth * kHeight * 3), system.size());
        EXPECT_GT(Count(system).lit, 0);
        for (const auto& path : paths) {
            SCOPED_TRACE(path.name);
            bool arrays = !path.arrays;
            Pixels pixels = Render(c, path.driver.c_str(), &arrays);
            EXPECT_EQ(c.monochrome && path.arrays, arrays);
            EXPECT_TRUE(system == pixels) << "the two paths drew different pixels";
        }
    }
}

TEST(OrbelleScene, MonochromeIsGreyExceptTheLogoAndColourIsColoured)
{
    Census mono = Count(Render({"mono", false, true, false, 8}));
    Census logo = Count(Render({"logo", false, true, true, 8}));
    Census colour = Count(Render({"colour", false, false, false, 8}));
    EXPECT_GT(mono.lit, 200);
    EXPECT_EQ(0, mono.coloured);
    EXPECT_GT(logo.coloured, 0);
    EXPECT_GT(colour.coloured, 200);
}

TEST(OrbelleScene, NumberOneIsAGreyOutlineOnly)
{
    for (bool flat : {false, true}) {
        SCOPED_TRACE(flat);
        Pixels p = Render({"one", flat, false, true, 1});
        Census census = Count(p);
        EXPECT_GT(census.lit, 20);
        EXPECT_EQ(0, census.coloured);
        // Centre: inside the root ring, nothing filled.
        std::size_t centre = ((kHeight / 2) * kWidth + kWidth / 2) * 3;
        EXPECT_LT(p[centre], 16);
    }
}

TEST(OrbelleScene, TheSameSeedAndTimesGiveTheSameFrame)
{
    FrameCase c = {"same", false, false, true, 8};
    EXPECT_TRUE(Render(c) == Render(c));
}

TEST(OrbelleScene, TimeMovesTheRingsAndTheCamera)
{
    OrbelleSettings settings = DefaultSettings();
    TOrbelleScene scene(settings, 7);
    EXPECT_FALSE(scene.AdvanceTo(500)); // the first tick only records the time
    std::vector<double> before = scene.Tree().angle;
    EXPECT_TRUE(scene.AdvanceTo(10500)); // a ten-second pause, in full
    EXPECT_NE(before, scene.Tree().angle);
    EXPECT_NEAR(45.0, scene.MotionState().rotX, 1e-3);
}

} // namespace

namespace {

// The saver window inside the dialog's live preview follows the dialog's
// values before anything is saved.
TEST(OrbelleScene, TheConfigurationPreviewFollowsTheDialog)
{
    EXPECT_EQ(nullptr, ConfigPreviewFollower());
    {
        std::unique_ptr<TScrScene> full(CreateScrScene(smSFull));
        ASSERT_NE(nullptr, full);
        EXPECT_EQ(nullptr, ConfigPreviewFollower()) << "only the dialog's preview follows";
    }
    {
        std::unique_ptr<TScrScene> made(CreateScrScene(smSPConfig));
        ASSERT_NE(nullptr, made);
        TOrbelleScene& scene = static_cast<TOrbelleScene&>(*made);
        ASSERT_EQ(&scene, ConfigPreviewFollower());
        EXPECT_EQ(255, scene.Tree().ringCount);
        OrbelleSettings changed = DefaultSettings();
        changed.number = 3;
        ConfigPreviewFollower()->FollowSettings(changed, kChangeNumber);
        EXPECT_EQ(7, scene.Tree().ringCount);
        changed.velocity = 0;
        ConfigPreviewFollower()->FollowSettings(changed, kChangeSpins);
        for (double spin : scene.Tree().spin)
            EXPECT_EQ(0.0f, spin);
        changed.extraDetail = true;
        ConfigPreviewFollower()->FollowSettings(changed, kChangeExtraDetail);
        EXPECT_EQ(120, scene.Tree().segments[0]);
        changed.flat = true;
        ConfigPreviewFollower()->FollowSettings(changed, kChangeLook);
        EXPECT_TRUE(scene.Settings().flat);
    }
    EXPECT_EQ(nullptr, ConfigPreviewFollower());
}

// A dialog over the full-screen saver (the password box) runs on the
// system's OpenGL; when it ends without closing the saver, the chosen driver
// comes back and the saver window shows itself again.
TEST(SaverWindow, ADialogOverTheFullScreenSaverUsesTheSystemOpenGL)
{
    char project[64] = "";
    ASSERT_TRUE(OwnProjectName(project, sizeof project));
    const std::string key = std::string("Software\\GlimMex\\") + project;
    const char driver[] = "C:\\drivers\\mygl.dll";
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), "Driver", REG_SZ,
                                             driver, sizeof driver));
    TSaverForm* form = static_cast<TSaverForm*>(TSaverForm::Make(smSFull));
    ASSERT_NE(nullptr, form);
    ASSERT_TRUE(form->Create(nullptr, 0, 0, 64, 48, WS_POPUP, 0));
    EXPECT_STREQ(driver, form->Panel().glDriver());

    form->ScrBeginDialog();
    EXPECT_TRUE(form->InDialog());
    EXPECT_STREQ("OPENGL32.DLL", form->Panel().glDriver());
    form->ScrEndDialog(false);
    EXPECT_FALSE(form->InDialog());
    EXPECT_STREQ(driver, form->Panel().glDriver());
    EXPECT_TRUE(IsWindowVisible(form->Handle()));

    form->ScrBeginDialog();
    form->ScrEndDialog(true);
    EXPECT_STREQ("OPENGL32.DLL", form->Panel().glDriver()) << "a closing saver stays on it";
    delete form;
    RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
}

} // namespace
