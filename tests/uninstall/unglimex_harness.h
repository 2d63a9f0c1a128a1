// Running the real unglimex.exe under Wine: its boxes answered by the robot,
// the registry and files read back as another program would.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "keys.h"
#include "robot.h"
#include "support.h"

namespace unglimex {

using support::kDatabase;
using support::kEntries;

// The installed program, copied into the Windows directory.
std::string ProgramPath();
void InstallProgram();
using support::InWindows;

// One run, as it ended: every box it showed (in order) and its exit code.
struct RunResult {
    std::vector<robot::MessageBoxView> boxes;
    std::vector<std::string> icons; // robot::MessageBoxIcon of each box
    DWORD exitCode = STILL_ACTIVE;
};
// Chooses the button that answers a box; the default answers the question
// "Remove program" with Yes and every other box with its first button.
using Answer = std::function<int(const robot::MessageBoxView&)>;
int DefaultAnswer(const robot::MessageBoxView& box);
// Runs "<ProgramPath()> arguments" (or commandLine as it stands) and waits
// for its end, answering its boxes; environment: the whole environment
// (support::EnvironmentWith), or empty for this process's own.
RunResult RunCommandLine(const std::string& commandLine, const Answer& answer = DefaultAnswer,
                         const std::vector<std::string>& environment = {});
RunResult RunUnglimex(const std::string& arguments, const Answer& answer = DefaultAnswer,
                      const std::vector<std::string>& environment = {});

// The registry as another program reads it.
using Values = std::map<std::string, std::string>; // name -> REG_SZ data
using support::KeyExists;
Values ReadValues(HKEY root, const std::string& path);
// Value names in the registry's own order.
std::vector<std::string> ValueNames(HKEY root, const std::string& path);
std::vector<std::string> SubkeyNames(HKEY root, const std::string& path);
void WriteString(HKEY root, const std::string& path, const std::string& name,
                 const std::string& data);
Values TokenValues(const std::string& token);
Values EntryValues(const std::string& token);

void WriteTextFile(const std::string& path, const std::string& text);
std::string ReadText(const std::string& path);

// Keys and files next to what the tests register, that must survive every run.
void PlantNeighbours();
void ExpectNeighboursIntact();

std::string TokenPath(const std::string& token);
// The usage box's text for a command line.
std::string Usage(const std::string& commandLine);

// A test with the program installed and the neighbours planted, which it
// checks when it ends; probe commands log to Log().
class InstalledProgram : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string Log() const;
};

} // namespace unglimex
