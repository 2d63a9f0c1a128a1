// The installer as a user runs it: a real process in a fresh prefix, driven
// through its dialogs by the robot.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/owners.h"
#include "installer/finish/preview.h"
#include "robot.h"
#include "support.h"

namespace {

constexpr DWORD kWindowTimeout = 30000;
constexpr DWORD kExitTimeout = 60000;
constexpr int kInstallQuadrix = 6;

const std::string kSetup = support::WinPath(ORBELLE_SETUP);
const std::string kSetupNoQuadrix = support::WinPath(SETUP_NO_QUADRIX);
const std::string kSetupNoUnglimex = support::WinPath(SETUP_NO_UNGLIMEX);
const std::string kSetupNoStrings = support::WinPath(SETUP_NO_STRINGS);
// Carries a stand-in for quadrix.dll that records the calls of its entries.
const std::string kSetupEntriesFixture = support::WinPath(SETUP_ENTRIES_FIXTURE);

using support::InWindows;

// One run of an installer, up to its preliminary dialog.
class InstallerRun {
public:
    explicit InstallerRun(const std::string& program, const std::vector<std::string>& env = {})
        : child_(robot::Start("\"" + program + "\"", env))
    {
        prelim = robot::WaitForDialog("Orbelle screen saver", kWindowTimeout, child_.id);
    }
    ~InstallerRun() { robot::Finish(child_); }
    InstallerRun(const InstallerRun&) = delete;
    InstallerRun& operator=(const InstallerRun&) = delete;

    void ClearQuadrixBox()
    {
        robot::Press(prelim, kInstallQuadrix);
        ASSERT_TRUE(robot::WaitFor([&] { return !robot::IsChecked(prelim, kInstallQuadrix); }, 5000));
    }

    // Waits for the installer's end, closing the Preview dialog with OK.
    // Every message box that comes up on the way is read, answered with its
    // first button and returned in boxes.
    DWORD Finish(std::vector<robot::MessageBoxView>* boxes = nullptr)
    {
        DWORD start = GetTickCount();
        while (GetTickCount() - start < kExitTimeout) {
            DWORD code = robot::WaitExit(child_, 50);
            if (code != STILL_ACTIVE)
                return code;
            for (HWND window : robot::TopWindows(child_.id)) {
                if (window == prelim || robot::ClassName(window) != "#32770")
                    continue;
                // A window whose busy thread does not answer in time (the
                // Preview dialog while it starts the saver) is read next round.
                std::string caption = robot::Text(window);
                if (caption.empty())
                    continue;
                if (caption == "Preview") {
                    previewShown = true;
                    robot::Press(window, IDOK);
                    robot::WaitUntilGone(window, 5000);
                    continue;
                }
                robot::MessageBoxView box =
                    robot::WaitForMessageBox(caption.c_str(), 2000, child_.id);
                if (box.window != window || box.buttons.empty())
                    continue;
                if (boxes)
                    boxes->push_back(box);
                else
                    ADD_FAILURE() << "unexpected message box: " << box.caption << ": " << box.text;
                robot::Press(window, box.buttons.front());
                robot::WaitUntilGone(window, 5000);
            }
        }
        return STILL_ACTIVE;
    }

    const robot::Child& child() const { return child_; }
    HWND prelim = nullptr;
    bool previewShown = false;

private:
    robot::Child child_;
};

void ExpectInstalledFrom(const std::string& setup, const char* file, const char* resource)
{
    std::vector<std::uint8_t> carried = support::ResourceBytes(setup, resource);
    ASSERT_FALSE(carried.empty()) << resource;
    EXPECT_TRUE(carried == support::ReadBytes(InWindows(file))) << file << " differs from " << resource;
}

// What an installation leaves in the registry: the uninstall database, the
// saver's Add/Remove entry and the screen-saver switch.
std::vector<std::string> RegistryMarks()
{
    std::vector<std::string> marks;
    const char* keys[] = {
        "Software\\Tolvar\\Unglimex",
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\orbelle.scr",
    };
    for (const char* key : keys) {
        RegKey opened;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, opened.Receive()) == ERROR_SUCCESS)
            marks.push_back(key);
    }
    char active[16] = "";
    DWORD size = sizeof active;
    RegGetValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "ScreenSaveActive", RRF_RT_REG_SZ,
                 nullptr, active, &size);
    marks.push_back(std::string("ScreenSaveActive ") + active);
    return marks;
}

std::vector<std::string> SciFiles(const std::vector<std::string>& names)
{
    std::vector<std::string> sci;
    for (const std::string& name : names) {
        if (_strnicmp(name.c_str(), "sci", 3) == 0)
            sci.push_back(name);
    }
    return sci;
}

TEST(Prelim, ShowsTheSaverAndOffersQuadrix)
{
    InstallerRun run(kSetup);
    ASSERT_TRUE(run.prelim);
    EXPECT_EQ("&Install", robot::ItemText(run.prelim, IDOK));
    EXPECT_EQ("Cancel", robot::ItemText(run.prelim, IDCANCEL));
    EXPECT_EQ("Install Quadrix", robot::ItemText(run.prelim, kInstallQuadrix));
    EXPECT_TRUE(robot::IsChecked(run.prelim, kInstallQuadrix));
    std::vector<std::string> texts = robot::StaticTexts(run.prelim);
    EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), "ORBELLE"));
    EXPECT_NE(texts.end(), std::find_if(texts.begin(), texts.end(), [](const std::string& t) {
                  return t.rfind("Written using the Glimmex screen saver development kit. ", 0) == 0;
              }));
    robot::Press(run.prelim, IDCANCEL);
    EXPECT_EQ(2u, run.Finish());
}

// Windows Vista dropped the Display Properties dialog's extension pages: the
// text about Quadrix names its task-bar icon there instead of its tab. Run
// under Wine's default version (NT 6.2) and again as Windows XP.
TEST(Prelim, TellsWhereQuadrixIsConfigured)
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExA(&version);
    const bool pages = version.dwPlatformId != VER_PLATFORM_WIN32_NT || version.dwMajorVersion < 6;
    InstallerRun run(kSetup);
    ASSERT_TRUE(run.prelim);
    std::vector<std::string> texts = robot::StaticTexts(run.prelim);
    auto about = std::find_if(texts.begin(), texts.end(), [](const std::string& t) {
        return t.rfind("Also in this package is Quadrix. ", 0) == 0;
    });
    ASSERT_NE(texts.end(), about);
    const std::string ending = pages ? "Configure it from its tab in the Display Properties dialog."
                                     : "Configure it from its icon in the task bar.";
    EXPECT_EQ(ending, about->substr(about->size() - std::min(about->size(), ending.size())));
    robot::Press(run.prelim, IDCANCEL);
    EXPECT_EQ(2u, run.Finish());
}

TEST(Prelim, EveryWayOfCancellingGivesTwoAndWritesNothing)
{
    struct Way {
        const char* name;
        void (*cancel)(InstallerRun& run);
    } ways[] = {
        {"Cancel", [](InstallerRun& run) { robot::Press(run.prelim, IDCANCEL); }},
        {"Escape", [](InstallerRun& run) { robot::SendKey(run.prelim, VK_ESCAPE); }},
        // No frames under bare Xvfb: the close box's command.
        {"close box", [](InstallerRun& run) { robot::SysCommand(run.prelim, SC_CLOSE); }},
        {"Cancel with the box cleared",
         [](InstallerRun& run) {
             run.ClearQuadrixBox();
             robot::Press(run.prelim, IDCANCEL);
         }},
        // What a task list's "End task" does: the dialog goes with its owner.
        {"the backdrop closed",
         [](InstallerRun& run) {
             HWND backdrop = robot::FindTopWindow("InstallClass", "Install Saver", run.child().id);
             ASSERT_TRUE(backdrop);
             PostMessageA(backdrop, WM_CLOSE, 0, 0);
         }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        support::Snapshot windows = support::TakeSnapshot(support::WindowsDirectory());
        support::Snapshot temp = support::TakeSnapshot(support::TempDirectory());
        std::vector<std::string> registry = RegistryMarks();
        InstallerRun run(kSetup);
        ASSERT_TRUE(run.prelim);
        way.cancel(run);
        EXPECT_EQ(2u, run.Finish());
        EXPECT_EQ(registry, RegistryMarks());
        EXPECT_EQ(std::vector<std::string>(),
                  support::Differences(windows, support::TakeSnapshot(support::WindowsDirectory())));
        EXPECT_EQ(std::vector<std::string>(),
                  support::Differences(temp, support::TakeSnapshot(support::TempDirectory())));
    }
}

TEST(Install, WithQuadrixWritesTheThreePayloadsByteForByte)
{
    support::Snapshot temp = support::TakeSnapshot(support::TempDirectory());
    support::CreationWatch watch(support::TempDirectory());
    InstallerRun run(kSetup);
    ASSERT_TRUE(run.prelim);
    robot::Press(run.prelim, IDOK);
    EXPECT_EQ(1u, run.Finish());

    ExpectInstalledFrom(kSetup, "quadrix.dll", "RESOURCE_QUADRIX");
    ExpectInstalledFrom(kSetup, "orbelle.scr", "RESOURCE_SAVER");
    ExpectInstalledFrom(kSetup, "unglimex.exe", "RESOURCE_UNGLIMEX");
    EXPECT_TRUE(run.previewShown);

    // Each payload went through a temporary file of its own, and none is left.
    std::vector<std::string> sci = SciFiles(watch.Stop());
    EXPECT_EQ(3u, sci.size());
    std::sort(sci.begin(), sci.end());
    EXPECT_EQ(sci.end(), std::unique(sci.begin(), sci.end()));
    EXPECT_EQ(std::vector<std::string>(),
              support::Differences(temp, support::TakeSnapshot(support::TempDirectory())));
}

// The Preview dialog runs the installed saver itself, which inherits the
// installer's environment: its trace file shows frames of the dialog's
// preview area, drawn with lit pixels, and the screen shows them there: the
// rings turn in the area, as a user sees them.
TEST(Install, ThePreviewDialogShowsTheRingsDrawn)
{
    const std::string trace = support::TempDirectory() + "orbelle-trace.txt";
    InstallerRun run(kSetup, support::EnvironmentWith({"ORBELLE_TRACE=" + trace}));
    ASSERT_TRUE(run.prelim);
    robot::Press(run.prelim, IDOK);
    HWND preview = robot::WaitForDialog("Preview", kWindowTimeout, run.child().id);
    ASSERT_NE(nullptr, preview);
    auto litFrames = [&] {
        std::vector<std::uint8_t> bytes = support::ReadBytes(trace);
        std::vector<support::Frame> frames = support::Frames(std::string(bytes.begin(), bytes.end()));
        return std::count_if(frames.begin(), frames.end(),
                             [](const support::Frame& f) { return f.lit > 0; });
    };
    EXPECT_TRUE(robot::WaitFor([&] { return litFrames() >= 3; }, kWindowTimeout));
    EXPECT_TRUE(robot::ShowsMovingPicture(GetDlgItem(preview, kPreviewArea), kWindowTimeout));
    EXPECT_EQ(1u, run.Finish());
    EXPECT_TRUE(run.previewShown);
}

// The flow sets the new module going once, with the backdrop as its window.
TEST(Install, TheNewModuleIsSetUpWithTheBackdropAsItsWindow)
{
    const std::string log = support::TempDirectory() + "entries.log";
    InstallerRun run(kSetupEntriesFixture, support::EnvironmentWith({"ORBELLE_ENTRY_LOG=" + log}));
    ASSERT_TRUE(run.prelim);
    HWND backdrop = robot::FindTopWindow("InstallClass", "Install Saver", run.child().id);
    ASSERT_TRUE(backdrop);
    robot::Press(run.prelim, IDOK);
    EXPECT_EQ(1u, run.Finish());

    std::vector<std::uint8_t> bytes = support::ReadBytes(log);
    std::string line(bytes.begin(), bytes.end());
    const std::string backdropHandle = std::to_string(reinterpret_cast<UINT_PTR>(backdrop));
    EXPECT_NE(std::string::npos,
              line.find(" InstallSilently v2 " + backdropHandle + " ")) << line;
    EXPECT_EQ(1, std::count(line.begin(), line.end(), '\n')) << line;
}

TEST(Install, WithTheBoxClearedLeavesQuadrixOut)
{
    support::CreationWatch watch(support::TempDirectory());
    InstallerRun run(kSetup);
    ASSERT_TRUE(run.prelim);
    run.ClearQuadrixBox();
    robot::Press(run.prelim, IDOK);
    EXPECT_EQ(1u, run.Finish());

    EXPECT_FALSE(support::FileExists(InWindows("quadrix.dll")));
    ExpectInstalledFrom(kSetup, "orbelle.scr", "RESOURCE_SAVER");
    ExpectInstalledFrom(kSetup, "unglimex.exe", "RESOURCE_UNGLIMEX");
    EXPECT_EQ(2u, SciFiles(watch.Stop()).size());
}

TEST(Install, AMissingModuleIsReportedAndTheFlowGoesOn)
{
    InstallerRun run(kSetupNoQuadrix);
    ASSERT_TRUE(run.prelim);
    robot::Press(run.prelim, IDOK);
    std::vector<robot::MessageBoxView> boxes;
    EXPECT_EQ(1u, run.Finish(&boxes));

    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("Error", boxes[0].caption);
    std::string prefix = "Unable to write Quadrix to a temporary file " + support::TempDirectory() + "sci";
    std::string suffix = ".tmp.\r\n" + support::SystemText(ERROR_RESOURCE_NAME_NOT_FOUND);
    const std::string& text = boxes[0].text;
    EXPECT_EQ(0u, text.rfind(prefix, 0)) << text;
    ASSERT_GE(text.size(), suffix.size());
    EXPECT_EQ(suffix, text.substr(text.size() - suffix.size())) << text;
    EXPECT_EQ(std::vector<int>{IDOK}, boxes[0].buttons);
    // The named temporary file is not left behind.
    std::size_t nameStart = prefix.size() - 3;
    std::string tempFile = text.substr(nameStart, text.find(".tmp.\r\n") + 4 - nameStart);
    EXPECT_FALSE(support::FileExists(support::TempDirectory() + tempFile)) << tempFile;

    EXPECT_FALSE(support::FileExists(InWindows("quadrix.dll")));
    ExpectInstalledFrom(kSetupNoQuadrix, "orbelle.scr", "RESOURCE_SAVER");
    ExpectInstalledFrom(kSetupNoQuadrix, "unglimex.exe", "RESOURCE_UNGLIMEX");
}

TEST(Install, WithoutUninstallSupportSaysNothingAboutIt)
{
    InstallerRun run(kSetupNoUnglimex);
    ASSERT_TRUE(run.prelim);
    robot::Press(run.prelim, IDOK);
    EXPECT_EQ(1u, run.Finish()); // fails on any message box

    EXPECT_FALSE(support::FileExists(InWindows("unglimex.exe")));
    ExpectInstalledFrom(kSetupNoUnglimex, "quadrix.dll", "RESOURCE_QUADRIX");
    ExpectInstalledFrom(kSetupNoUnglimex, "orbelle.scr", "RESOURCE_SAVER");
}

TEST(Install, WithoutStringsUsesTheDefaultFileName)
{
    InstallerRun run(kSetupNoStrings);
    ASSERT_TRUE(run.prelim);
    robot::Press(run.prelim, IDOK);
    EXPECT_EQ(1u, run.Finish());
    ExpectInstalledFrom(kSetupNoStrings, "unnamed.scr", "RESOURCE_SAVER");
    EXPECT_FALSE(support::FileExists(InWindows("orbelle.scr")));
}

TEST(Install, ATemporaryPathTooLongIsReportedForEachPayload)
{
    // GetTempPathA's answer no longer fits the 260-character buffer.
    std::string longTemp = "C:\\" + std::string(300, 't');
    support::Snapshot windows = support::TakeSnapshot(support::WindowsDirectory());
    InstallerRun run(kSetup, support::EnvironmentWith({"TMP=" + longTemp, "TEMP=" + longTemp}));
    ASSERT_TRUE(run.prelim);
    robot::Press(run.prelim, IDOK);
    std::vector<robot::MessageBoxView> boxes;
    EXPECT_EQ(1u, run.Finish(&boxes));

    std::string reason =
        "in " + longTemp + ".\r\n" + support::SystemText(ERROR_FILENAME_EXCED_RANGE);
    const char* names[] = {"Quadrix", "the Orbelle screen saver", "uninstall support"};
    ASSERT_EQ(3u, boxes.size());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ("Error", boxes[i].caption);
        EXPECT_EQ(std::string("Unable to write ") + names[i] + " to a temporary file " + reason,
                  boxes[i].text);
    }
    EXPECT_EQ(std::vector<std::string>(),
              support::Differences(windows, support::TakeSnapshot(support::WindowsDirectory())));
    EXPECT_FALSE(run.previewShown); // no saver, nothing to preview
}

TEST(Backdrop, CoversTheWorkAreaWithABlueToBlackGradient)
{
    InstallerRun run(kSetup);
    ASSERT_TRUE(run.prelim);
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    HWND backdrop = robot::FindTopWindow("InstallClass", "Install Saver", run.child().id);
    ASSERT_TRUE(backdrop);
    RECT rect;
    GetWindowRect(backdrop, &rect);
    EXPECT_TRUE(EqualRect(&rect, &work));

    int height = work.bottom - work.top;
    int x = work.left + 3; // left of the centred dialog
    ASSERT_TRUE(robot::WaitFor([&] { return robot::ScreenPixel(x, work.top) == RGB(0, 0, 255); }, 5000));
    for (int y : {0, 1, height / 4, height / 2, height / 2 + 1, 3 * height / 4, height - 2, height - 1}) {
        SCOPED_TRACE(y);
        COLORREF pixel = robot::ScreenPixel(x, work.top + y);
        int band = static_cast<int>(y * 256.0 / height);
        EXPECT_EQ(0, GetRValue(pixel));
        EXPECT_EQ(0, GetGValue(pixel));
        EXPECT_NEAR(255 - band, GetBValue(pixel), 1);
    }
    robot::Settle(run.child());
    robot::Screenshot(support::ArtifactPath("prelim.png"));
    robot::Press(run.prelim, IDCANCEL);
    EXPECT_EQ(2u, run.Finish());
}

} // namespace
