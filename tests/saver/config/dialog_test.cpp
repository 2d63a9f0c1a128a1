// The configuration dialog driven as a user would, in its own process.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <utility>

#include "robot.h"
#include "saver/config/resource.h"
#include "support.h"

namespace {

const DWORD kWaitMs = 15000;
const char* const kKey = "Software\\GlimMex\\orbelle";
const char* const kShared = "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers";

bool ReadDword(const char* key, const char* name, DWORD* value)
{
    DWORD size = sizeof *value, type = 0;
    return RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_ANY, &type, value, &size) ==
               ERROR_SUCCESS && type == REG_DWORD;
}

std::string ReadText(const char* key, const char* name)
{
    char text[1000] = {};
    DWORD size = sizeof text;
    if (RegGetValueA(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return "<missing>";
    return text;
}

void WriteDword(const char* key, const char* name, DWORD value)
{
    RegSetKeyValueA(HKEY_CURRENT_USER, key, name, REG_DWORD, &value, sizeof value);
}

struct Dialog {
    robot::Child child;
    HWND window = nullptr;
};

Dialog Open()
{
    Dialog d;
    d.child = robot::Start("\"" + support::WinPath(ORBELLE_SAVER) + "\" /c");
    d.window = robot::WaitForDialog("Options for Orbelle", kWaitMs, d.child.id);
    return d;
}

void AnswerHint(const Dialog& d)
{
    robot::MessageBoxView hint = robot::WaitForMessageBox("Orbelle", kWaitMs, d.child.id);
    ASSERT_NE(nullptr, hint.window);
    EXPECT_EQ("If you have a Vooodoo1 or 2 card, you should locate an OpenGL driver for it", hint.text);
    robot::Press(hint.window, IDOK);
    ASSERT_TRUE(robot::WaitUntilGone(hint.window, kWaitMs));
}

void SetTrack(HWND dialog, int id, int position)
{
    HWND bar = GetDlgItem(dialog, id);
    SendMessageA(bar, TBM_SETPOS, TRUE, position);
    SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(bar));
}

void Choose(HWND dialog, int id, int index)
{
    SendMessageA(GetDlgItem(dialog, id), CB_SETCURSEL, index, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// The saver's configuration mode ends with 0 whichever button closed it.
void SelectListEntry(HWND dialog, int id, int index)
{
    SendMessageA(GetDlgItem(dialog, id), LB_SETCURSEL, index, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void Finish(Dialog& d, int button)
{
    robot::Press(d.window, button);
    EXPECT_EQ(0u, robot::WaitExit(d.child, kWaitMs));
    robot::Finish(d.child);
}

TEST(ConfigDialog, TheFirstOpeningHintsAtTheDriverOnceEvenWhenCancelled)
{
    Dialog first = Open();
    ASSERT_NE(nullptr, first.window);
    AnswerHint(first);
    // The hint leaves the "Driver" page in front.
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(first.window, IDC_DRIVERS)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(first.window, IDC_SENSITIVITY)));
    Finish(first, IDCANCEL);
    DWORD told = 0;
    EXPECT_TRUE(ReadDword(kKey, "Told3dfx", &told));
    EXPECT_EQ(1u, told);
    EXPECT_EQ("<missing>", ReadText(kKey, "Velocity")) << "Cancel stores no setting";
    // The saver prepares the shared screen-saver values at every start, so a
    // fresh profile has them after a Cancel too.
    DWORD threshold = 0, delay = 0;
    EXPECT_TRUE(ReadDword(kShared, "Mouse Threshold", &threshold));
    EXPECT_EQ(100u, threshold);
    EXPECT_TRUE(ReadDword(kShared, "Password Delay", &delay));
    EXPECT_EQ(30u, delay);
    EXPECT_EQ("----", ReadText(kShared, "Mouse Corners"));

    Dialog second = Open();
    ASSERT_NE(nullptr, second.window);
    robot::Settle(second.child, 1500);
    EXPECT_EQ(nullptr, robot::FindTopWindow("#32770", "Orbelle", second.child.id));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(second.window, IDC_SENSITIVITY)));
    Finish(second, IDCANCEL);
}

TEST(ConfigDialog, ShowsTheStoredValues)
{
    Dialog d = Open();
    ASSERT_NE(nullptr, d.window);
    AnswerHint(d);
    EXPECT_EQ("Options for Orbelle", robot::Text(d.window));
    EXPECT_EQ(8, SendMessageA(GetDlgItem(d.window, IDC_COMPLEXITY), TBM_GETPOS, 0, 0));
    EXPECT_EQ(15, SendMessageA(GetDlgItem(d.window, IDC_VELOCITY), TBM_GETPOS, 0, 0));
    EXPECT_EQ(15, SendMessageA(GetDlgItem(d.window, IDC_CAMERA), TBM_GETPOS, 0, 0));
    EXPECT_TRUE(robot::IsChecked(d.window, IDC_MONOCHROME));
    EXPECT_FALSE(robot::IsChecked(d.window, IDC_FLAT));
    EXPECT_TRUE(robot::IsChecked(d.window, IDC_SHOWLOGO));
    EXPECT_EQ("Ring complexity", robot::ItemText(d.window, IDC_LCOMPLEXITY));
    EXPECT_EQ("Driver...", robot::ItemText(d.window, IDC_DRIVERBUTTON));
    EXPECT_NE(std::string::npos, robot::ItemText(d.window, IDC_HOTSINFO).find("system agent"));
    EXPECT_EQ("normal", robot::ItemText(d.window, IDC_MODE));
    EXPECT_EQ("TScrCorners", robot::ClassName(GetDlgItem(d.window, IDC_MONITOR)));
    // The live preview square holds its place on the "Driver" page.
    HWND preview = FindWindowExA(d.window, nullptr, "TScrPreview", nullptr);
    ASSERT_NE(nullptr, preview);
    EXPECT_TRUE(IsWindowVisible(preview));
    RECT r;
    GetClientRect(preview, &r);
    EXPECT_EQ(169, r.right);
    EXPECT_EQ(169, r.bottom);
    // The square runs the rings with the settings shown, on the screen.
    EXPECT_TRUE(robot::ShowsMovingPicture(preview, kWaitMs));
    robot::Settle(d.child, 300);
    robot::WindowShot(d.window, support::ArtifactPath("config-driver.png"));
    Finish(d, IDCANCEL);
}

// The up-down's range as (low, high).
std::pair<int, int> SpinRange(HWND dialog)
{
    LRESULT range = SendMessageA(GetDlgItem(dialog, IDC_WAITSPIN), UDM_GETRANGE, 0, 0);
    return {static_cast<short>(HIWORD(range)), static_cast<short>(LOWORD(range))};
}

TEST(ConfigDialog, TheWaitUpDownRunsOverTheChosenUnit)
{
    WriteDword(kKey, "Told3dfx", 1);
    WriteDword(kShared, "Password Delay", 600);
    WriteDword(kShared, "Password Delay Index", 1);
    Dialog d = Open();
    ASSERT_NE(nullptr, d.window);
    struct Row {
        const char* what;
        int unit; // -1: as opened
        int high;
    } rows[] = {{"opened in minutes", -1, 60}, {"seconds chosen", 0, 3600}, {"minutes again", 1, 60}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.unit >= 0)
            Choose(d.window, IDC_WAITUNIT, row.unit);
        EXPECT_EQ(std::make_pair(0, row.high), SpinRange(d.window));
    }
    EXPECT_EQ("10", robot::ItemText(d.window, IDC_WAITTIME));
    Finish(d, IDCANCEL);
}

TEST(ConfigDialog, OkStoresEveryChangeOnBothPages)
{
    WriteDword(kKey, "Told3dfx", 1); // no hint this time
    Dialog d = Open();
    ASSERT_NE(nullptr, d.window);
    robot::Settle(d.child, 500);
    robot::WindowShot(d.window, support::ArtifactPath("config-general.png"));
    Choose(d.window, IDC_SENSITIVITY, 3); // "Ignore mouse movement"
    SetDlgItemTextA(d.window, IDC_WAITTIME, "90");
    Choose(d.window, IDC_WAITUNIT, 0);
    SetTrack(d.window, IDC_COMPLEXITY, 12);
    SetTrack(d.window, IDC_VELOCITY, 100);
    SetTrack(d.window, IDC_CAMERA, 15);
    robot::Press(d.window, IDC_FLAT);
    robot::Press(d.window, IDC_MONOCHROME);
    robot::Settle(d.child, 300);
    Finish(d, IDOK);

    DWORD value = 0;
    EXPECT_TRUE(ReadDword(kKey, "Number", &value));
    EXPECT_EQ(12u, value);
    EXPECT_EQ("0.1", ReadText(kKey, "Velocity"));
    EXPECT_EQ("0.45", ReadText(kKey, "Camera"));
    EXPECT_TRUE(ReadDword(kKey, "Flat", &value));
    EXPECT_EQ(1u, value);
    EXPECT_TRUE(ReadDword(kKey, "Monochrome", &value));
    EXPECT_EQ(0u, value);
    EXPECT_EQ("*def", ReadText(kKey, "FileName"));
    EXPECT_EQ("normal", ReadText(kKey, "Mode"));
    EXPECT_TRUE(ReadDword(kShared, "Mouse Threshold", &value));
    EXPECT_EQ(999999u, value);
    EXPECT_TRUE(ReadDword(kShared, "Mouse Threshold Index", &value));
    EXPECT_EQ(3u, value);
    EXPECT_TRUE(ReadDword(kShared, "Password Delay", &value));
    EXPECT_EQ(90u, value);
    EXPECT_TRUE(ReadDword(kShared, "Password Delay Index", &value));
    EXPECT_EQ(1u, value);
    EXPECT_EQ("----", ReadText(kShared, "Mouse Corners"));
}

// A Shift-click on a label; under load a click can reach the dialog before
// it is in front again, so a user's second try is allowed.
robot::MessageBoxView ShiftClick(const Dialog& d, int label, const char* caption)
{
    robot::MessageBoxView box;
    for (int attempt = 0; attempt < 3 && !box.window; ++attempt) {
        robot::Click(GetDlgItem(d.window, label), {3, 3}, {VK_SHIFT});
        box = robot::WaitForMessageBox(caption, kWaitMs / 3, d.child.id);
    }
    return box;
}

TEST(ConfigDialog, ShiftClicksOnTheLabelsAskForHiddenOptions)
{
    Dialog d = Open();
    ASSERT_NE(nullptr, d.window);
    AnswerHint(d); // and the "Driver" page is in front
    robot::Settle(d.child, 300);
    robot::MessageBoxView sync = ShiftClick(d, IDC_LVELOCITY, "Ring velocity");
    ASSERT_NE(nullptr, sync.window);
    EXPECT_EQ("Do you want ring rotation to be synchronised?", sync.text);
    robot::Press(sync.window, IDNO);
    ASSERT_TRUE(robot::WaitUntilGone(sync.window, kWaitMs));

    robot::MessageBoxView detail = ShiftClick(d, IDC_LCOMPLEXITY, "Ring detail");
    ASSERT_NE(nullptr, detail.window);
    EXPECT_EQ("Do you want extra-smooth rings?", detail.text);
    robot::Press(detail.window, IDYES);
    ASSERT_TRUE(robot::WaitUntilGone(detail.window, kWaitMs));

    // Without Shift, nothing is asked.
    robot::Click(GetDlgItem(d.window, IDC_LVELOCITY), {3, 3});
    robot::Settle(d.child, 800);
    EXPECT_EQ(nullptr, robot::FindTopWindow("#32770", "Ring velocity", d.child.id));
    Finish(d, IDOK);

    DWORD value = 7;
    EXPECT_TRUE(ReadDword(kKey, "Sync", &value));
    EXPECT_EQ(0u, value);
    EXPECT_TRUE(ReadDword(kKey, "ExtraDetail", &value));
    EXPECT_EQ(1u, value);
}

// Answers the file dialog with a path typed into its file-name box.
void ChooseInFileDialog(const Dialog& d, const std::string& path)
{
    HWND open = robot::WaitForDialog("Open", kWaitMs, d.child.id);
    ASSERT_NE(nullptr, open);
    const int kFileNameBox = 0x47c; // the file dialog's "File name" combo box
    ASSERT_TRUE(SetDlgItemTextA(open, kFileNameBox, path.c_str()));
    robot::Press(open, IDOK);
    ASSERT_TRUE(robot::WaitUntilGone(open, kWaitMs));
}

void AskForOwnImage(const Dialog& d)
{
    robot::MessageBoxView ask = ShiftClick(d, IDC_SHOWLOGO, "Orbelle");
    ASSERT_NE(nullptr, ask.window);
    EXPECT_EQ("Do you want to choose your own image?", ask.text);
    robot::Press(ask.window, IDYES);
    ASSERT_TRUE(robot::WaitUntilGone(ask.window, kWaitMs));
}

TEST(ConfigDialog, ShiftClickOnShowLogoChoosesAnImageThatLoads)
{
    WriteDword(kKey, "UseImage", 0); // the click ticks the box
    const std::string notAnImage = support::TempDirectory() + "notes.bmp";
    const char text[] = "not a bitmap at all";
    HANDLE file = CreateFileA(notAnImage.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    WriteFile(file, text, sizeof text, &written, nullptr);
    CloseHandle(file);
    const std::string logo = support::WinPath(ORBELLE_LOGO);

    Dialog d = Open();
    ASSERT_NE(nullptr, d.window);
    AnswerHint(d); // and the "Driver" page is in front
    robot::Settle(d.child, 300);
    AskForOwnImage(d);
    ChooseInFileDialog(d, notAnImage);
    robot::MessageBoxView error = robot::WaitForMessageBox("Error", kWaitMs, d.child.id);
    ASSERT_NE(nullptr, error.window);
    EXPECT_EQ("Unable to load image.", error.text);
    robot::Press(error.window, IDOK);
    ASSERT_TRUE(robot::WaitUntilGone(error.window, kWaitMs));

    // Untick, then tick again with Shift for a picture that loads.
    robot::Press(d.window, IDC_SHOWLOGO);
    ASSERT_TRUE(robot::WaitFor([&] { return !robot::IsChecked(d.window, IDC_SHOWLOGO); }, kWaitMs));
    AskForOwnImage(d);
    ChooseInFileDialog(d, logo);
    EXPECT_TRUE(robot::IsChecked(d.window, IDC_SHOWLOGO));
    Finish(d, IDOK);

    EXPECT_EQ(logo, ReadText(kKey, "FileName"));
    DWORD value = 0;
    EXPECT_TRUE(ReadDword(kKey, "UseImage", &value));
    EXPECT_EQ(1u, value);
}

// "Driver..." adds a driver file of the user's: a 3dfx one switches the
// screen modes to the 3dfx list, and OK stores its full path twice.
TEST(ConfigDialog, ADriverChosenByFileIsListedSelectedAndStored)
{
    const std::string driver = support::WinPath(SAVER_DRIVERS "/my3DFXgl.dll");
    Dialog d = Open();
    ASSERT_NE(nullptr, d.window);
    AnswerHint(d); // and the "Driver" page is in front
    HWND list = GetDlgItem(d.window, IDC_DRIVERS);
    const LRESULT before = SendMessageA(list, LB_GETCOUNT, 0, 0);
    robot::Press(d.window, IDC_DRIVERBUTTON);
    ChooseInFileDialog(d, driver);

    ASSERT_TRUE(robot::WaitFor([&] { return SendMessageA(list, LB_GETCOUNT, 0, 0) == before + 1; }, kWaitMs));
    const int selected = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
    EXPECT_GE(selected, 0);
    HWND modes = GetDlgItem(d.window, IDC_MODE);
    EXPECT_EQ(4, SendMessageA(modes, CB_GETCOUNT, 0, 0)) << "the 3dfx list";
    EXPECT_EQ("512x384", robot::ItemText(d.window, IDC_MODE));
    // Another entry, then this one again, as a user clicking in the list:
    // the user's file keeps its full path.
    SelectListEntry(d.window, IDC_DRIVERS, selected == 0 ? 1 : 0);
    EXPECT_EQ("normal", robot::ItemText(d.window, IDC_MODE)) << "the system's modes";
    SelectListEntry(d.window, IDC_DRIVERS, selected);
    EXPECT_EQ("512x384", robot::ItemText(d.window, IDC_MODE));
    Finish(d, IDOK);

    EXPECT_EQ(driver, ReadText(kKey, "Driver"));
    EXPECT_EQ(driver, ReadText(kKey, "DriverPath"));
    EXPECT_EQ("512x384", ReadText(kKey, "Mode"));
}

// The screen's pixel at a point of the control.
COLORREF PixelOf(HWND control, POINT at)
{
    ClientToScreen(control, &at);
    return robot::ScreenPixel(at.x, at.y);
}

// A pixel inside the top-right marker of the corner picture, on its tile's
// colour: green for Now, red for Never, grey for Default.
COLORREF TopRightMarker(HWND picture)
{
    return PixelOf(picture, {149, 33});
}

bool Dark(COLORREF c)
{
    return GetRValue(c) < 110 && GetGValue(c) < 110 && GetBValue(c) < 110;
}

bool Greenish(COLORREF c)
{
    return GetGValue(c) > GetRValue(c) + 40 && GetGValue(c) > GetBValue(c) + 40;
}

TEST(ConfigDialog, CornersAreChosenOnThePictureOfAMonitor)
{
    WriteDword(kKey, "Told3dfx", 1);
    Dialog d = Open();
    ASSERT_NE(nullptr, d.window);
    HWND picture = GetDlgItem(d.window, IDC_MONITOR);
    RECT client;
    GetClientRect(picture, &client);
    EXPECT_EQ(184, client.right);
    EXPECT_EQ(170, client.bottom);
    robot::Settle(d.child);
    // A monitor, with the page showing around it: the page beside the foot,
    // the bezel dark, the desktop's colour on the screen between the markers.
    const COLORREF page = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(page, PixelOf(picture, {2, 165}));
    EXPECT_EQ(page, PixelOf(picture, {182, 2}));
    EXPECT_NE(page, PixelOf(picture, {9, 100})) << "the case";
    EXPECT_TRUE(Dark(PixelOf(picture, {14, 70})));
    EXPECT_EQ(GetSysColor(COLOR_BACKGROUND), PixelOf(picture, {92, 70}));
    EXPECT_FALSE(Greenish(TopRightMarker(picture))) << "Default at first";
    robot::Click(picture, {150, 25}); // the top-right marker
    ASSERT_TRUE(robot::ChooseMenuItem(0, kWaitMs)); // "Now"
    EXPECT_TRUE(robot::WaitFor([&] { return Greenish(TopRightMarker(picture)); }, kWaitMs));
    // Between the markers nothing opens.
    robot::Click(picture, {92, 70});
    EXPECT_EQ(nullptr, robot::WaitForWindow("#32768", nullptr, 1500));
    Finish(d, IDOK);
    EXPECT_EQ("-Y--", ReadText(kShared, "Mouse Corners"));
}

// With the hot-corners module installed and its service running, the page
// says the corners work, and a corner saved reaches the service.
TEST(ConfigDialog, GeneralPageFollowsTheHotCornersModule)
{
    WriteDword(kKey, "Told3dfx", 1);
    const std::string module = support::WindowsDirectory() + "\\quadrix.dll";
    ASSERT_TRUE(CopyFileA(support::WinPath(QUADRIX_DLL).c_str(), module.c_str(), FALSE));
    RegSetKeyValueA(HKEY_CURRENT_USER, kShared, "Mouse Corners", REG_SZ, "----", 5);
    robot::Child service = robot::Start("rundll32.exe " + module + ",RunService");
    HWND serviceWindow = nullptr; // hidden
    robot::WaitFor([&] { return (serviceWindow = FindWindowA("QuadrixService", nullptr)) != nullptr; },
                   kWaitMs);
    ASSERT_NE(nullptr, serviceWindow);

    // Installed beside the module, as the installer puts them: the saver
    // then loads the module that the service runs.
    const std::string saver = support::WindowsDirectory() + "\\orbelle.scr";
    ASSERT_TRUE(CopyFileA(support::WinPath(ORBELLE_SAVER).c_str(), saver.c_str(), FALSE));
    Dialog d;
    d.child = robot::Start(saver + " /c");
    d.window = robot::WaitForDialog("Options for Orbelle", kWaitMs, d.child.id);
    ASSERT_NE(nullptr, d.window);
    EXPECT_NE(std::string::npos,
              robot::ItemText(d.window, IDC_HOTSINFO).find("Click the corners you want to use."));
    HWND picture = GetDlgItem(d.window, IDC_MONITOR);
    robot::Click(picture, {150, 25});
    ASSERT_TRUE(robot::ChooseMenuItem(1, kWaitMs)); // "Never"
    robot::Settle(d.child, 500);
    robot::WindowShot(d.window, support::ArtifactPath("config-general-hots.png"));
    Finish(d, IDOK);
    EXPECT_EQ("-N--", ReadText(kShared, "Mouse Corners"));
    // The service heard of it: the top-right corner now holds the saver off.
    ASSERT_TRUE(robot::MoveMouse({1023, 0}));
    EXPECT_TRUE(robot::WaitFor([&] {
        return SendMessageA(serviceWindow, WM_APP, 108 /* state */, 0) == 0x10001;
    }, kWaitMs));
    robot::MoveMouse({512, 384});
    robot::Finish(service);
}

} // namespace
