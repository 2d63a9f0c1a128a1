#include "saver/config/configform.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstring>
#include <new>

#include "common/owners.h"
#include "common/paths.h"
#include "common/text.h"
#include "saver/config/corner_picture.h"
#include "saver/config/resource.h"
#include "saver/rings/logo_file.h"

namespace {

// Posted once the dialog shows, for the one-time driver hint.
const UINT WM_APP_FIRSTSHOW = WM_APP + 1;

const int kGeneralItems[] = {IDC_HOTSINFO, IDC_MONITOR, IDC_DISMISS, IDC_LSENSITIVITY,
                             IDC_SENSITIVITY, IDC_LWAIT, IDC_WAITTIME, IDC_WAITSPIN, IDC_WAITUNIT,
                             IDC_LPASSWORD};
const int kDriverItems[] = {IDC_LCOMPLEXITY, IDC_COMPLEXITY, IDC_LVELOCITY,
                            IDC_VELOCITY, IDC_LCAMERA, IDC_CAMERA, IDC_MONOCHROME, IDC_FLAT,
                            IDC_SHOWLOGO, IDC_DRIVERGROUP, IDC_DRIVERS, IDC_LMODE, IDC_MODE,
                            IDC_DRIVERBUTTON};

const char* const kHotsOn =
    "You can display the screen saver immediately, or prevent it from appearing at all, by "
    "moving the mouse pointer to a corner on the screen. Click the corners you want to use.";
const char* const kHotsOff =
    "The system agent must be active in order for you to display the screen saver immediately "
    "by moving the mouse pointer to a corner on the screen.";

bool ShiftHeld()
{
    return (GetKeyState(VK_SHIFT) & 0x8000) != 0;
}

void SetTrack(HWND bar, int lo, int hi, int position)
{
    SendMessageA(bar, TBM_SETRANGE, FALSE, MAKELPARAM(lo, hi));
    SendMessageA(bar, TBM_SETPOS, TRUE, position);
}

void Check(HWND dialog, int id, bool on)
{
    CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

// Yes 1, No 0, Cancel −1.
int AskYesNoCancel(HWND owner, const char* text, const char* caption)
{
    int answer = MessageBoxA(owner, text, caption, MB_YESNOCANCEL | MB_ICONQUESTION);
    return answer == IDYES ? 1 : answer == IDNO ? 0 : -1;
}

// The structure as the common dialogs of Windows 95, 98 and NT 4 know it:
// they refuse the larger one of Windows 2000 (CDERR_STRUCTSIZE), whose extra
// fields (the places bar) are of no use here.
const DWORD kOpenFileNameSize = OPENFILENAME_SIZE_VERSION_400A;

// A failure of the dialog itself is no Cancel: the user is told, or the
// button would seem to do nothing.
void ShowFileDialogError(HWND owner, DWORD error)
{
    char text[256];
    FormatText(text, sizeof text, "Unable to open the file dialog (error 0x%04lx).",
               static_cast<unsigned long>(error));
    MessageBoxA(owner, text, "Error", MB_OK | MB_ICONERROR);
}

// A file dialog; true with the chosen path in path.
bool ChooseFile(HWND owner, const char* filter, const char* extension, const char* directory,
                DWORD flags, char* path, std::size_t size)
{
    OPENFILENAMEA ofn;
    ZeroMemory(&ofn, sizeof ofn);
    ofn.lStructSize = kOpenFileNameSize;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.lpstrFile = path;
    ofn.nMaxFile = static_cast<DWORD>(size);
    ofn.lpstrInitialDir = directory && directory[0] ? directory : nullptr;
    ofn.lpstrDefExt = extension;
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | flags;
    if (GetOpenFileNameA(&ofn))
        return true;
    DWORD error = CommDlgExtendedError();
    if (error != 0)
        ShowFileDialogError(owner, error);
    return false;
}

// Track bars, tabs and up-down controls. InitCommonControlsEx came with
// version 4.70 of the common controls; the first Windows 95 has 4.00, whose
// InitCommonControls registers the same classes.
void RegisterCommonControls()
{
    using InitProc = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    HMODULE library = GetModuleHandleA("COMCTL32.DLL");
    auto init = library ? LibraryExport<InitProc>(library, "InitCommonControlsEx") : nullptr;
    INITCOMMONCONTROLSEX controls = {sizeof controls,
                                     ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_UPDOWN_CLASS};
    if (!init || !init(&controls))
        InitCommonControls();
}

} // namespace

TConfigForm::TConfigForm(TScrMode kind) : TScrDialog(kind, "ORBELLECONFIG")
{
    RegisterCommonControls();
    RegisterCornerPicture();
    OwnProjectName(project_, sizeof project_);
    LoadSettings(project_, &settings_);
    shared_ = LoadSharedSettings();
    waitUnit_ = shared_.passwordDelayIndex;
}

TScrDialog* TConfigForm::Make(TScrMode kind)
{
    return new (std::nothrow) TConfigForm(kind);
}

void TConfigForm::InitDialog()
{
    filling_ = true;
    TCITEMA tab;
    ZeroMemory(&tab, sizeof tab);
    tab.mask = TCIF_TEXT;
    tab.pszText = const_cast<char*>("General");
    SendMessageA(Item(IDC_PAGES), TCM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&tab));
    tab.pszText = const_cast<char*>("Driver");
    SendMessageA(Item(IDC_PAGES), TCM_INSERTITEMA, 1, reinterpret_cast<LPARAM>(&tab));
    // The pages' controls lie above the tab control.
    SetWindowPos(Item(IDC_PAGES), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    FillGeneral();
    FillDriverPage();
    CreateLivePreview();
    ShowPage(0);
    filling_ = false;
    PostMessageA(Handle(), WM_APP_FIRSTSHOW, 0, 0);
}

void TConfigForm::ShowPage(int page)
{
    SendMessageA(Item(IDC_PAGES), TCM_SETCURSEL, page, 0);
    for (int id : kGeneralItems)
        ShowWindow(Item(id), page == 0 ? SW_SHOW : SW_HIDE);
    for (int id : kDriverItems)
        ShowWindow(Item(id), page == 1 ? SW_SHOW : SW_HIDE);
    HWND square = preview_.Handle() ? preview_.Handle() : Item(IDC_PREVIEW);
    ShowWindow(square, page == 1 ? SW_SHOW : SW_HIDE);
}

// The preview square (169 × 169 pixels) takes the place of its static.
void TConfigForm::CreateLivePreview()
{
    RECT r;
    GetWindowRect(Item(IDC_PREVIEW), &r);
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&r), 2);
    if (preview_.Create(Handle(), r.left, r.top, 169, 169))
        DestroyWindow(Item(IDC_PREVIEW));
}

void TConfigForm::Changed(unsigned changes)
{
    if (TSettingsFollower* follower = ConfigPreviewFollower())
        follower->FollowSettings(settings_, changes);
}

void TConfigForm::FillGeneral()
{
    SetDlgItemTextA(Handle(), IDC_HOTSINFO, CheckForHots() ? kHotsOn : kHotsOff);
    ShowCorners();
    for (const ValueRange& range : kMouseRanges)
        SendMessageA(Item(IDC_SENSITIVITY), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(range.caption));
    SendMessageA(Item(IDC_SENSITIVITY), CB_SETCURSEL, MouseRangeIndex(shared_.mouseThreshold), 0);
    for (const ValueRange& range : kPasswordDelayRanges)
        SendMessageA(Item(IDC_WAITUNIT), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(range.caption));
    ShowWait();
}

void TConfigForm::ShowCorners()
{
    BindCornerPicture(Item(IDC_MONITOR), shared_.corners);
}

void TConfigForm::ShowWait()
{
    bool wasFilling = filling_;
    filling_ = true;
    SendMessageA(Item(IDC_WAITUNIT), CB_SETCURSEL, waitUnit_, 0);
    SetWaitRange();
    SetDlgItemInt(Handle(), IDC_WAITTIME, static_cast<UINT>(DelayInUnit(shared_.passwordDelay, waitUnit_)),
                  FALSE);
    filling_ = wasFilling;
}

// The up-down runs over the chosen unit's numbers. (UDM_SETRANGE32 needs
// common controls 4.71; the 16-bit range suffices.)
void TConfigForm::SetWaitRange()
{
    SendMessageA(Item(IDC_WAITSPIN), UDM_SETRANGE, 0, MAKELPARAM(DelayUnitMost(waitUnit_), 0));
}

void TConfigForm::ReadWait()
{
    BOOL ok = FALSE;
    UINT number = GetDlgItemInt(Handle(), IDC_WAITTIME, &ok, FALSE);
    if (ok)
        shared_.passwordDelay = DelayFromUnit(static_cast<int>(number), waitUnit_);
}

void TConfigForm::FillDriverPage()
{
    SetTrack(Item(IDC_COMPLEXITY), static_cast<int>(SpanMin(kNumber)),
             static_cast<int>(SpanMax(kNumber)), settings_.number);
    SetTrack(Item(IDC_VELOCITY), 0, 100,
             TrackPosition(settings_.velocity, SpanMin(kVelocity), SpanMax(kVelocity)));
    SetTrack(Item(IDC_CAMERA), 0, 100,
             TrackPosition(settings_.camera, SpanMin(kCamera), SpanMax(kCamera)));
    Check(Handle(), IDC_MONOCHROME, settings_.monochrome);
    Check(Handle(), IDC_FLAT, settings_.flat);
    Check(Handle(), IDC_SHOWLOGO, settings_.useImage);
    FillDrivers();
}

void TConfigForm::FillDrivers()
{
    drivers_.SetSearchPath({"<project>\\opengl*.dll", "<project>\\3dfx*gl*.dll",
                            "<windows>\\opengl*.dll", "<system>\\opengl*.dll"});
    if (settings_.driverPath[0])
        drivers_.AddSearchPattern(settings_.driverPath);
    HWND list = Item(IDC_DRIVERS);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const TSglDriverDetails& driver : drivers_.GetDrivers())
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(driver.text));
    int selected = settings_.driver[0] ? drivers_.IndexOfFileName(settings_.driver) : -1;
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    bool is3dfx = selected >= 0 && drivers_.GetDrivers()[selected].is3dfx;
    FillModes(is3dfx);
}

void TConfigForm::FillModes(bool for3dfx)
{
    modes_ = for3dfx ? ScreenModeList3dfx() : SystemScreenModes();
    HWND combo = Item(IDC_MODE);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    for (const ScreenMode& mode : modes_) {
        char text[64];
        FormatScreenMode(text, sizeof text, mode);
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    int index = KeepScreenMode(modes_, settings_.mode);
    settings_.mode = modes_[index];
    SendMessageA(combo, CB_SETCURSEL, index, 0);
}

bool TConfigForm::Command(WORD id, WORD code)
{
    if (filling_)
        return TScrDialog::Command(id, code);
    switch (id) {
    case IDC_MONOCHROME:
        return MonochromeClicked();
    case IDC_FLAT:
        return FlatClicked();
    case IDC_SHOWLOGO:
        return ShowLogoClicked(code);
    case IDC_LVELOCITY:
        return VelocityLabelClicked(code);
    case IDC_LCOMPLEXITY:
        return ComplexityLabelClicked(code);
    case IDC_SENSITIVITY:
        return SensitivityCommand(code);
    case IDC_WAITTIME:
        return WaitTimeCommand(code);
    case IDC_WAITUNIT:
        return WaitUnitCommand(code);
    case IDC_DRIVERS:
        return DriversCommand(code);
    case IDC_MODE:
        return ModeCommand(code);
    case IDC_DRIVERBUTTON:
        return ChooseDriverFile();
    default:
        return TScrDialog::Command(id, code);
    }
}

bool TConfigForm::Checked(int id) const
{
    return IsDlgButtonChecked(Handle(), id) == BST_CHECKED;
}

int TConfigForm::Selection(int id, UINT message) const
{
    return static_cast<int>(SendMessageA(Item(id), message, 0, 0));
}

bool TConfigForm::MonochromeClicked()
{
    settings_.monochrome = Checked(IDC_MONOCHROME);
    Changed(kChangeLook);
    return true;
}

bool TConfigForm::FlatClicked()
{
    settings_.flat = Checked(IDC_FLAT);
    Changed(kChangeLook);
    return true;
}

// Shift-click on a box that turns on asks for the user's own picture.
bool TConfigForm::ShowLogoClicked(WORD code)
{
    settings_.useImage = Checked(IDC_SHOWLOGO);
    if (code == BN_CLICKED && settings_.useImage && ShiftHeld())
        AskImage();
    Changed(kChangeLook);
    return true;
}

bool TConfigForm::VelocityLabelClicked(WORD code)
{
    if (code == STN_CLICKED && ShiftHeld())
        AskSync();
    return true;
}

bool TConfigForm::ComplexityLabelClicked(WORD code)
{
    if (code == STN_CLICKED && ShiftHeld())
        AskDetail();
    return true;
}

bool TConfigForm::SensitivityCommand(WORD code)
{
    if (code == CBN_SELCHANGE)
        shared_.mouseThreshold = MouseThresholdForChoice(Selection(IDC_SENSITIVITY, CB_GETCURSEL));
    return true;
}

bool TConfigForm::WaitTimeCommand(WORD code)
{
    if (code == EN_CHANGE)
        ReadWait();
    return true;
}

bool TConfigForm::WaitUnitCommand(WORD code)
{
    if (code == CBN_SELCHANGE) {
        waitUnit_ = Selection(IDC_WAITUNIT, CB_GETCURSEL);
        SetWaitRange();
        ReadWait();
    }
    return true;
}

bool TConfigForm::DriversCommand(WORD code)
{
    if (code == LBN_SELCHANGE)
        DriverSelected();
    return true;
}

bool TConfigForm::ModeCommand(WORD code)
{
    if (code != CBN_SELCHANGE)
        return true;
    int index = Selection(IDC_MODE, CB_GETCURSEL);
    if (index >= 0 && index < static_cast<int>(modes_.size()))
        settings_.mode = modes_[index];
    return true;
}

INT_PTR TConfigForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_HSCROLL:
        TrackBarMoved(reinterpret_cast<HWND>(lParam));
        return TRUE;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == IDC_PAGES && header->code == TCN_SELCHANGE) {
            ShowPage(static_cast<int>(SendMessageA(header->hwndFrom, TCM_GETCURSEL, 0, 0)));
            return TRUE;
        }
        break;
    }
    case WM_APP_FIRSTSHOW:
        FirstActivation();
        return TRUE;
    default:
        break;
    }
    return TScrDialog::HandleMessage(message, wParam, lParam);
}

void TConfigForm::TrackBarMoved(HWND bar)
{
    int position = static_cast<int>(SendMessageA(bar, TBM_GETPOS, 0, 0));
    switch (GetDlgCtrlID(bar)) {
    case IDC_COMPLEXITY:
        settings_.number = position;
        Changed(kChangeNumber);
        break;
    case IDC_VELOCITY:
        settings_.velocity = TrackValue(position, SpanMin(kVelocity), SpanMax(kVelocity));
        Changed(kChangeSpins);
        break;
    case IDC_CAMERA:
        settings_.camera = TrackValue(position, SpanMin(kCamera), SpanMax(kCamera));
        Changed(kChangeLook);
        break;
    default:
        break;
    }
}

void TConfigForm::DriverSelected()
{
    int index = Selection(IDC_DRIVERS, LB_GETCURSEL);
    const std::vector<TSglDriverDetails>& list = drivers_.GetDrivers();
    if (index < 0 || index >= static_cast<int>(list.size())) {
        settings_.driver[0] = '\0';
        FillModes(false);
        return;
    }
    // The user's own driver file lies outside the library search: it keeps
    // its path. The others are found by name where the system looks.
    const char* file = list[index].fileName;
    if (settings_.driverPath[0] && lstrcmpiA(file, settings_.driverPath) == 0)
        CopyText(settings_.driver, sizeof settings_.driver, file);
    else
        FileNamePart(settings_.driver, sizeof settings_.driver, file);
    FillModes(list[index].is3dfx);
}

bool TConfigForm::ChooseDriverFile()
{
    char directory[kPathSize] = "";
    DirectoryPart(directory, sizeof directory, settings_.driverPath);
    char path[kPathSize] = "";
    if (!ChooseFile(Handle(), "OpenGL (*.dll)\0*.dll\0", "dll", directory, OFN_HIDEREADONLY, path,
                    sizeof path))
        return true;
    CopyText(settings_.driverPath, sizeof settings_.driverPath, path);
    CopyText(settings_.driver, sizeof settings_.driver, path);
    FillDrivers();
    return true;
}

void TConfigForm::AskSync()
{
    int answer = AskYesNoCancel(Handle(), "Do you want ring rotation to be synchronised?",
                                "Ring velocity");
    if (answer >= 0) {
        settings_.sync = answer == 1;
        Changed(kChangeSpins);
    }
}

void TConfigForm::AskDetail()
{
    int answer = AskYesNoCancel(Handle(), "Do you want extra-smooth rings?", "Ring detail");
    if (answer >= 0) {
        settings_.extraDetail = answer == 1;
        Changed(kChangeExtraDetail);
    }
}

void TConfigForm::AskImage()
{
    int answer = AskYesNoCancel(Handle(), "Do you want to choose your own image?", "Orbelle");
    if (answer == 0) {
        CopyText(settings_.fileName, sizeof settings_.fileName, kFileName.textDefault);
        Changed(kChangeFileName);
    } else if (answer == 1)
        ChooseImageFile();
}

void TConfigForm::ChooseImageFile()
{
    char path[kPathSize] = "";
    if (!UsesBuiltInLogo(settings_.fileName))
        CopyText(path, sizeof path, settings_.fileName);
    if (!ChooseFile(Handle(), "Bitmaps (*.bmp)\0*.bmp\0", "bmp", nullptr, OFN_HIDEREADONLY, path,
                    sizeof path))
        return;
    LogoImage image;
    if (!LoadLogoFile(path, &image) || image.width == 0 || image.height == 0) {
        MessageBoxA(Handle(), "Unable to load image.", "Error", MB_OK | MB_ICONERROR);
        return;
    }
    CopyText(settings_.fileName, sizeof settings_.fileName, path);
    settings_.useImage = true;
    Check(Handle(), IDC_SHOWLOGO, true);
    Changed(kChangeFileName | kChangeLook);
}

void TConfigForm::FirstActivation()
{
    if (settings_.told3dfx)
        return;
    settings_.told3dfx = true;
    SaveTold3dfx(project_, true);
    ShowPage(1);
    // The modal loop shows the dialog once idle; the hint belongs above it.
    ShowWindow(Handle(), SW_SHOW);
    MessageBoxA(Handle(), "If you have a Vooodoo1 or 2 card, you should locate an OpenGL driver for it",
                "Orbelle", MB_OK | MB_ICONINFORMATION);
}

void TConfigForm::SaveValues()
{
    SaveSettings(project_, settings_);
    SavePasswordDelay(shared_.passwordDelay);
    SaveMouseThreshold(shared_.mouseThreshold);
    SaveMouseCorners(shared_.corners);
}
