// TConfigForm: "Options for Orbelle", the configuration dialog with its two
// pages "General" and "Driver". Values are edited in memory and written on
// OK; only Told3dfx is written at once, at the first activation ever.
#pragma once
#include <windows.h>

#include <vector>

#include "saver/config/registry.h"
#include "saver/framework/dialog.h"
#include "saver/framework/driverlist.h"
#include "saver/framework/preview.h"

class TConfigForm : public TScrDialog {
public:
    explicit TConfigForm(TScrMode kind);
    static TScrDialog* Make(TScrMode kind);

    const OrbelleSettings& Settings() const { return settings_; }

protected:
    void InitDialog() override;
    bool Command(WORD id, WORD code) override;
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void SaveValues() override;

private:
    void ShowPage(int page);
    void FillGeneral();
    void FillDriverPage();
    void FillDrivers();
    void FillModes(bool for3dfx);
    void ShowCorners();
    void ShowWait();
    void SetWaitRange();
    void ReadWait();
    void TrackBarMoved(HWND bar);
    // One handler per control of Command; true: the command is handled.
    bool MonochromeClicked();
    bool FlatClicked();
    bool ShowLogoClicked(WORD code);
    bool VelocityLabelClicked(WORD code);
    bool ComplexityLabelClicked(WORD code);
    bool SensitivityCommand(WORD code);
    bool WaitTimeCommand(WORD code);
    bool WaitUnitCommand(WORD code);
    bool DriversCommand(WORD code);
    bool ModeCommand(WORD code);
    bool ChooseDriverFile();
    void DriverSelected();
    void AskSync();
    void AskDetail();
    void AskImage();
    void ChooseImageFile();
    void FirstActivation();
    void CreateLivePreview();
    void Changed(unsigned changes);
    HWND Item(int id) const { return GetDlgItem(Handle(), id); }
    bool Checked(int id) const;
    // The control's current index (CB_GETCURSEL, LB_GETCURSEL).
    int Selection(int id, UINT message) const;

    char project_[kSettingTextSize] = "orbelle";
    OrbelleSettings settings_;
    SharedSettings shared_;
    int waitUnit_ = 0;
    bool filling_ = false;
    TSglDriverList drivers_;
    std::vector<ScreenMode> modes_;
    TScrPreview preview_;
};
