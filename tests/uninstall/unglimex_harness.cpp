#include "unglimex_harness.h"

#include <gtest/gtest.h>

#include "support.h"

namespace unglimex {

namespace {

constexpr DWORD kRunTimeout = 60000;

const char* const kNeighbourFiles[] = {"orbelle.scr.bak", "quadrix.dl", "neighbour.txt"};

// The names an enumeration of a key gives, in the registry's own order;
// next(key, index, name, length) is one call of RegEnumValueA or
// RegEnumKeyExA.
template <typename Next>
std::vector<std::string> EnumeratedNames(HKEY root, const std::string& path, Next next)
{
    std::vector<std::string> names;
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;
    for (DWORD index = 0;; ++index) {
        char name[16384];
        DWORD length = sizeof name;
        if (next(key, index, name, &length) != ERROR_SUCCESS)
            break;
        names.push_back(name);
    }
    RegCloseKey(key);
    return names;
}

} // namespace

std::string ProgramPath()
{
    return InWindows("unglimex.exe");
}

void InstallProgram()
{
    ASSERT_TRUE(CopyFileA(support::WinPath(UNGLIMEX).c_str(), ProgramPath().c_str(), FALSE));
}

int DefaultAnswer(const robot::MessageBoxView& box)
{
    if (box.caption == "Remove program")
        return IDYES;
    return box.buttons.empty() ? IDOK : box.buttons.front();
}

RunResult RunCommandLine(const std::string& commandLine, const Answer& answer,
                         const std::vector<std::string>& environment)
{
    RunResult run;
    robot::Child child = robot::Start(commandLine, environment);
    EXPECT_TRUE(child.process) << commandLine;
    if (!child.process)
        return run;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < kRunTimeout) {
        run.exitCode = robot::WaitExit(child, 50);
        if (run.exitCode != STILL_ACTIVE)
            break;
        for (HWND window : robot::TopWindows(child.id)) {
            if (robot::ClassName(window) != "#32770")
                continue;
            robot::MessageBoxView box =
                robot::WaitForMessageBox(robot::Text(window).c_str(), 2000, child.id);
            if (box.window != window || box.buttons.empty())
                continue;
            run.boxes.push_back(box);
            std::string icon;
            robot::WaitFor([&] { return (icon = robot::MessageBoxIcon(window)) != "unknown"; },
                           3000);
            run.icons.push_back(icon);
            robot::Press(window, answer(box));
            robot::WaitUntilGone(window, 5000);
        }
    }
    EXPECT_NE(STILL_ACTIVE, run.exitCode) << commandLine << " did not end";
    robot::Finish(child);
    return run;
}

RunResult RunUnglimex(const std::string& arguments, const Answer& answer,
                      const std::vector<std::string>& environment)
{
    return RunCommandLine(ProgramPath() + (arguments.empty() ? "" : " " + arguments), answer,
                          environment);
}

std::vector<std::string> ValueNames(HKEY root, const std::string& path)
{
    return EnumeratedNames(root, path, [](HKEY key, DWORD index, char* name, DWORD* length) {
        return RegEnumValueA(key, index, name, length, nullptr, nullptr, nullptr, nullptr);
    });
}

Values ReadValues(HKEY root, const std::string& path)
{
    Values values;
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return values;
    for (const std::string& name : ValueNames(root, path)) {
        char data[16384];
        DWORD size = sizeof data - 1;
        DWORD type = 0;
        if (RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data),
                             &size) != ERROR_SUCCESS)
            continue;
        data[size] = '\0';
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), type) << name;
        EXPECT_EQ(strlen(data) + 1, size) << name << ": written with its terminating zero";
        values[name] = data;
    }
    RegCloseKey(key);
    return values;
}

std::vector<std::string> SubkeyNames(HKEY root, const std::string& path)
{
    return EnumeratedNames(root, path, [](HKEY key, DWORD index, char* name, DWORD* length) {
        return RegEnumKeyExA(key, index, name, length, nullptr, nullptr, nullptr, nullptr);
    });
}

void WriteString(HKEY root, const std::string& path, const std::string& name,
                 const std::string& data)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &key, nullptr));
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExA(key, name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(data.c_str()),
                             static_cast<DWORD>(data.size() + 1)));
    RegCloseKey(key);
}

Values TokenValues(const std::string& token)
{
    return ReadValues(HKEY_LOCAL_MACHINE, TokenPath(token));
}

Values EntryValues(const std::string& token)
{
    return ReadValues(HKEY_LOCAL_MACHINE, kEntries + token);
}

void WriteTextFile(const std::string& path, const std::string& text)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << path;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

std::string ReadText(const std::string& path)
{
    std::vector<std::uint8_t> bytes = support::ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

void PlantNeighbours()
{
    for (const char* name : kNeighbourFiles)
        WriteTextFile(InWindows(name), name);
    WriteString(HKEY_CURRENT_USER, "Software\\glimmex", "", "parent");
    WriteString(HKEY_CURRENT_USER, "Software\\glimmex\\orbellex", "kept", "1");
    WriteString(HKEY_CURRENT_USER, "Software\\glimmex\\other\\deeper", "kept", "1");
    WriteString(HKEY_CURRENT_USER, "Software\\neighbour", "kept", "1");
    WriteString(HKEY_LOCAL_MACHINE, "Software\\Tolvar\\Other", "kept", "1");
    WriteString(HKEY_LOCAL_MACHINE, std::string(kEntries) + "Neighbour", "DisplayName", "n");
}

void ExpectNeighboursIntact()
{
    for (const char* name : kNeighbourFiles)
        EXPECT_EQ(name, ReadText(InWindows(name))) << name;
    EXPECT_EQ((Values{{"", "parent"}}), ReadValues(HKEY_CURRENT_USER, "Software\\glimmex"));
    EXPECT_EQ((Values{{"kept", "1"}}),
              ReadValues(HKEY_CURRENT_USER, "Software\\glimmex\\orbellex"));
    EXPECT_EQ((Values{{"kept", "1"}}),
              ReadValues(HKEY_CURRENT_USER, "Software\\glimmex\\other\\deeper"));
    EXPECT_EQ((Values{{"kept", "1"}}), ReadValues(HKEY_CURRENT_USER, "Software\\neighbour"));
    EXPECT_EQ((Values{{"kept", "1"}}), ReadValues(HKEY_LOCAL_MACHINE, "Software\\Tolvar\\Other"));
    EXPECT_EQ((Values{{"DisplayName", "n"}}), ReadValues(HKEY_LOCAL_MACHINE, std::string(kEntries) + "Neighbour"));
}

std::string TokenPath(const std::string& token)
{
    return std::string(kDatabase) + "\\" + token;
}

std::string Usage(const std::string& commandLine)
{
    return "Unglimex:\r\nwithout arguments - describe things\r\n"
           "/desc token desc - add a description for token\r\n"
           "/add token filename - token uses this file\r\n"
           "/remove token - remove all files associated with token\r\n\r\n" +
           commandLine;
}

void InstalledProgram::SetUp()
{
    InstallProgram();
    PlantNeighbours();
}

void InstalledProgram::TearDown()
{
    ExpectNeighboursIntact();
}

std::string InstalledProgram::Log() const
{
    return support::TempDirectory() + "probe.log";
}

} // namespace unglimex
