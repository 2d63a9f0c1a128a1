// unglimex.exe: the uninstall-support program. It has no window of its own
// and talks to the user only through message boxes. Every run ends with
// exit code 0.
#include "uninstall/command_line.h"
#include "uninstall/unglimex.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const char* commandLine = GetCommandLineA();
    static ParsedCommand command;
    ParseCommandLine(commandLine, &command);
    switch (command.Kind) {
    case CommandKind::Listing:
        ShowListing();
        break;
    case CommandKind::Describe:
        DescribeToken(command.Token, command.Text);
        break;
    case CommandKind::Add:
        AddItem(command.Token, command.Text);
        break;
    case CommandKind::Remove:
        RemoveToken(command.Token);
        break;
    case CommandKind::AutoDelete:
        FinishSelfRemoval(command.Handle, command.Text);
        break;
    case CommandKind::Usage:
        ShowUsage(commandLine);
        break;
    }
    return 0;
}
