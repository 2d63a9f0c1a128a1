#include "installer/finish/preview_text.h"

#include <cstring>

#include "common/text.h"

bool FormatPreviewCommandLine(char* out, std::size_t size, const char* saverPath,
                              std::int32_t previewHandle)
{
    if (size == 0)
        return false;
    if (!FormatText(out, size, "\"%s\" /p %i", saverPath, static_cast<int>(previewHandle))) {
        out[0] = '\0';
        return false;
    }
    return true;
}

void GrowWaitingDots(char* line, std::size_t size)
{
    if (size >= 2 && std::strlen(line) < size - 2)
        AppendText(line, size, "..");
}

PreviewStatus AfterLaunch(bool started)
{
    return started ? PreviewStatus::Waiting : PreviewStatus::LaunchFailed;
}

PreviewStatus AfterWait(IdleWait wait)
{
    switch (wait) {
    case IdleWait::Idle:
        return PreviewStatus::Shown;
    case IdleWait::Timeout:
        return PreviewStatus::Waiting;
    case IdleWait::Failed:
        break;
    }
    return PreviewStatus::WaitFailed;
}

bool IsWatching(PreviewStatus status)
{
    return status == PreviewStatus::SettingUp || status == PreviewStatus::Waiting;
}

const char* StatusText(PreviewStatus status)
{
    switch (status) {
    case PreviewStatus::SettingUp:
        return "Setting up.";
    case PreviewStatus::Waiting:
        return "";
    case PreviewStatus::Shown:
        return "Screen saver succesfully installed!";
    case PreviewStatus::LaunchFailed:
        return "Unable to launch saver.";
    case PreviewStatus::WaitFailed:
        break;
    }
    return "Unable to launch saver";
}
