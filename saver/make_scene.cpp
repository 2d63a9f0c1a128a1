// The program's scene for each saver window: the settings are loaded here,
// from the registry under the program's own name, and handed to the rings.
#include <new>

#include "common/clock.h"
#include "common/paths.h"
#include "saver/config/registry.h"
#include "saver/framework/scene.h"
#include "saver/rings/orbelle_scene.h"

TScrScene* CreateScrScene(TScrMode kind)
{
    char project[kPathSize];
    OwnProjectName(project, sizeof project);
    OrbelleSettings settings;
    LoadSettings(project, &settings);
    // Seeded with the time in seconds: every run draws a new tree.
    TOrbelleScene* scene = new (std::nothrow) TOrbelleScene(settings, SecondsSince1970());
    // The configuration dialog's live preview follows the dialog's values.
    if (scene && kind == smSPConfig)
        SetConfigPreviewFollower(scene);
    return scene;
}
