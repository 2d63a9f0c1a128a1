// The installer's main flow: every installation step, in a fixed order, on
// one thread. The modal dialogs and message boxes dispatch the backdrop's
// messages; the flow has no message loop of its own.
#include "common/paths.h"
#include "common/process.h"
#include "common/text.h"
#include "installer/finish/finish.h"
#include "installer/flow/flow.h"
#include "installer/payload/payload.h"

namespace {

constexpr std::size_t kCommandSize = 1000;

struct InstallFlow {
    HWND BackdropWindow;
    SaverStrings Strings;
    char WindowsDirectory[kPathSize];
    char SaverPath[kPathSize];
    char SaverKeyName[kSaverKeyNameSize];
    char HotCornersPath[kPathSize];
    char UninstallerPath[kPathSize];
    char CommandBuffer[kCommandSize];
    bool HotCornersWanted;
    bool SaverInstalled;
    bool UninstallerInstalled;
};

HWND CreateBackdrop()
{
    RECT workArea = {0, 0, 0, 0};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    return CreateWindowExA(0, kInstallClassName, "Install Saver", WS_POPUP | WS_VISIBLE,
                           workArea.left, workArea.top, workArea.right - workArea.left,
                           workArea.bottom - workArea.top, nullptr, nullptr, gInstance, nullptr);
}

// Builds a path into the Windows directory. A Windows directory too long for
// the 260-character buffers is told to the user, and the path stays empty.
bool BuildWindowsPath(InstallFlow* flow, const char* fileName, const char* displayName, char* path)
{
    if (JoinPath(path, kPathSize, flow->WindowsDirectory, fileName))
        return true;
    char text[kCommandSize];
    FormatText(text, sizeof text,
               "Unable to install %s into the Windows directory: its path is too long.",
               displayName);
    MessageBoxA(flow->BackdropWindow, text, "Error", MB_ICONWARNING);
    return false;
}

void PrepareNames(InstallFlow* flow)
{
    LoadSaverStrings(gInstance, &flow->Strings);
    UINT length = GetWindowsDirectoryA(flow->WindowsDirectory, kPathSize);
    if (length == 0 || length >= kPathSize)
        flow->WindowsDirectory[0] = '\0';
    BuildSaverKeyName(flow->Strings.SaverFileName, flow->SaverKeyName);
}

void InstallSaver(InstallFlow* flow)
{
    const char* name = flow->Strings.DescriptiveName;
    flow->SaverInstalled =
        BuildWindowsPath(flow, flow->Strings.SaverFileName, name, flow->SaverPath) &&
        InstallPayload(flow->BackdropWindow, flow->SaverPath, "RESOURCE_SAVER", name, nullptr,
                       nullptr);
}

void InstallUninstaller(InstallFlow* flow)
{
    // An installer built without the uninstall support says nothing about it.
    if (!FindResourceA(gInstance, "RESOURCE_UNGLIMEX", RT_RCDATA))
        return;
    const char* name = "uninstall support";
    flow->UninstallerInstalled =
        BuildWindowsPath(flow, "unglimex.exe", name, flow->UninstallerPath) &&
        InstallPayload(flow->BackdropWindow, flow->UninstallerPath, "RESOURCE_UNGLIMEX", name,
                       nullptr, nullptr);
}

void RegisterInstallation(InstallFlow* flow)
{
    RegistrationNames names = {flow->UninstallerPath, flow->Strings.SaverFileName,
                               flow->Strings.SaverTitle, flow->SaverPath,
                               flow->SaverKeyName, flow->HotCornersPath};
    RegisterProducts(names, flow->SaverInstalled, flow->HotCornersWanted, flow->CommandBuffer,
                     sizeof flow->CommandBuffer);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    gInstance = instance;
    RegisterInstallClass();

    InstallFlow flow;
    ZeroMemory(&flow, sizeof flow);
    flow.BackdropWindow = CreateBackdrop();
    if (!flow.BackdropWindow)
        return 2;

    INT_PTR choice =
        DialogBoxParamA(gInstance, "DIALOG_PRELIM", flow.BackdropWindow, PrelimDialogProc, 0);
    // Only "&Install" is consent. Cancel, a dialog box that failed (-1) and
    // one destroyed with its backdrop (closed by a task list, say) give
    // anything else: nothing is installed.
    if (choice != kPrelimInstall && choice != kPrelimInstallWithQuadrix)
        return 2;
    flow.HotCornersWanted = choice == kPrelimInstallWithQuadrix;

    HCURSOR previousCursor = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    // The long steps below dispatch no messages: paint the backdrop once now.
    InvalidateRect(flow.BackdropWindow, nullptr, FALSE);
    UpdateWindow(flow.BackdropWindow);

    PrepareNames(&flow);
    if (flow.HotCornersWanted) {
        flow.HotCornersWanted =
            BuildWindowsPath(&flow, "quadrix.dll", "Quadrix", flow.HotCornersPath) &&
            InstallHotCorners(flow.BackdropWindow, "RESOURCE_QUADRIX");
    }
    InstallSaver(&flow);
    InstallUninstaller(&flow);
    if (flow.UninstallerInstalled)
        RegisterInstallation(&flow);
    if (flow.SaverInstalled) {
        ActivateSaver(flow.SaverPath);
        if (RunsAsAnotherUser())
            TellAboutAnotherUser(flow.BackdropWindow, flow.Strings.DescriptiveName,
                                 flow.Strings.SaverTitle, flow.HotCornersWanted);
        ShowPreviewDialog(flow.BackdropWindow, flow.SaverPath);
    }

    SetCursor(previousCursor);
    return 1;
}
