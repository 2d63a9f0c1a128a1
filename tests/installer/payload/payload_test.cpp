// InstallPayload with real version records under Wine's version library,
// called in this process; a second thread answers its message boxes as a
// user would.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <set>
#include <thread>

#include "../box_answerer.h"
#include "installer/instance.h"
#include "installer/payload/payload.h"
#include "robot.h"
#include "support.h"

namespace {

constexpr DWORD kBoxTimeout = 10000;
const char kDisplayName[] = "the test module";

// One call of the version library as InstallPayload made it.
struct LibraryCall {
    DWORD flags;
    std::string currentDirectory;
    std::string tempNameBefore;
    DWORD result;
    std::string tempNameAfter;
};
std::vector<LibraryCall> gCalls;
std::vector<DWORD> gScript; // answers of the scripted library, in order

DWORD WINAPI RecordingInstall(DWORD flags, LPSTR sourceName, LPSTR destinationName,
                              LPSTR sourceDirectory, LPSTR destinationDirectory,
                              LPSTR currentDirectory, LPSTR tempName, PUINT tempNameLength)
{
    LibraryCall call = {flags, currentDirectory, tempName, 0, ""};
    call.result = VerInstallFileA(flags, sourceName, destinationName, sourceDirectory,
                                  destinationDirectory, currentDirectory, tempName,
                                  tempNameLength);
    call.tempNameAfter = tempName;
    std::printf("VerInstallFileA(flags 0x%lx, current \"%s\") = 0x%lx, temporary \"%s\"\n",
                flags, currentDirectory, call.result, tempName);
    gCalls.push_back(call);
    return call.result;
}

// Answers from gScript. Like Wine, it leaves a temporary copy named with a
// leading backslash whenever the answer has VIF_TEMPFILE.
DWORD WINAPI ScriptedInstall(DWORD flags, LPSTR, LPSTR, LPSTR, LPSTR destinationDirectory,
                             LPSTR currentDirectory, LPSTR tempName, PUINT tempNameLength)
{
    LibraryCall call = {flags, currentDirectory, tempName, 0, ""};
    call.result = gCalls.size() < gScript.size() ? gScript[gCalls.size()] : 0;
    if ((call.result & VIF_TEMPFILE) && *tempNameLength > 14) {
        lstrcpyA(tempName, "\\ver0001.tmp");
        std::string copy = std::string(destinationDirectory) + tempName;
        HANDLE file = CreateFileA(copy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(file);
    }
    call.tempNameAfter = tempName;
    gCalls.push_back(call);
    return call.result;
}

Journal* gJournal = nullptr;
HWND gOwner = nullptr;

void RecordEvent(PayloadEvent event, HWND owner, const char* destination, void* data)
{
    auto* expected = static_cast<std::string*>(data);
    EXPECT_EQ(gOwner, owner);
    EXPECT_EQ(*expected, destination);
    gJournal->Add("event " + std::to_string(event));
}

std::vector<std::uint8_t> Fixture(const char* name)
{
    return support::ResourceBytes(support::WinPath(PAYLOAD_TESTS), name);
}

bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    CloseHandle(file);
    return ok;
}

std::vector<std::string> FileNames(const std::string& directory)
{
    std::vector<std::string> names;
    for (const auto& entry : support::TakeSnapshot(directory))
        names.push_back(entry.first);
    return names;
}

struct Outcome {
    int result;
    std::vector<std::string> journal;
    std::vector<robot::MessageBoxView> boxes;
};

class Payload : public ::testing::Test {
protected:
    void SetUp() override
    {
        gInstance = GetModuleHandleA(nullptr);
        directory = "C:\\payload-dest";
        CreateDirectoryA(directory.c_str(), nullptr);
        for (const std::string& name : FileNames(directory)) {
            std::string path = directory + "\\" + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        }
        destination = directory + "\\module.dll";
        gOwner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
        gCalls.clear();
        gScript.clear();
        temp = support::TakeSnapshot(support::TempDirectory());
    }
    void TearDown() override
    {
        DestroyWindow(gOwner);
        // The extracted file never stays in the temporary directory.
        EXPECT_EQ(std::vector<std::string>(),
                  support::Differences(temp, support::TakeSnapshot(support::TempDirectory())));
    }

    void Place(const char* fixture) { ASSERT_TRUE(WriteBytes(destination, Fixture(fixture))); }

    Outcome Install(const char* resource, std::vector<int> answers = {},
                    VersionInstallRoutine library = RecordingInstall)
    {
        Journal journal;
        gJournal = &journal;
        gCalls.clear();
        BoxAnswerer answerer(std::move(answers), &journal);
        Outcome outcome;
        outcome.result = InstallPayloadWith(gOwner, destination.c_str(), resource, kDisplayName,
                                            RecordEvent, &destination, library);
        outcome.boxes = answerer.Stop();
        outcome.journal = journal.lines;
        gJournal = nullptr;
        return outcome;
    }

    std::string UpgradeQuestion() const
    {
        return std::string("You have an out-of-date version of ") + kDisplayName +
               " on your system. May I try to upgrade, please?";
    }
    void ExpectUpgradeQuestion(const robot::MessageBoxView& box) const
    {
        EXPECT_EQ("Install", box.caption);
        EXPECT_EQ(UpgradeQuestion(), box.text);
        std::vector<int> buttons = box.buttons;
        std::sort(buttons.begin(), buttons.end());
        EXPECT_EQ((std::vector<int>{IDCANCEL, IDYES, IDNO}), buttons);
    }
    void ExpectReplaceQuestion(const robot::MessageBoxView& box, const std::string& list) const
    {
        EXPECT_EQ("Warning", box.caption);
        EXPECT_EQ("Are you sure you want replace file " + destination + "?\r\n" + list, box.text);
        std::vector<int> buttons = box.buttons;
        std::sort(buttons.begin(), buttons.end());
        EXPECT_EQ((std::vector<int>{IDCANCEL, IDYES, IDNO}), buttons);
    }
    void ExpectProblem(const robot::MessageBoxView& box, const std::string& list) const
    {
        EXPECT_EQ("Error installing file", box.caption);
        EXPECT_EQ("There has been a problem installing " + destination + "\r\n" + list, box.text);
        EXPECT_EQ(std::vector<int>{IDOK}, box.buttons);
    }
    void ExpectDestination(const char* fixture) const
    {
        EXPECT_TRUE(Fixture(fixture) == support::ReadBytes(destination))
            << "the destination is not " << fixture;
    }
    // Nothing but the destination is left in its directory.
    void ExpectNoStrayFile() const
    {
        EXPECT_EQ(std::vector<std::string>{"module.dll"}, FileNames(directory));
    }

    std::string directory;
    std::string destination;
    support::Snapshot temp;
};

using Lines = std::vector<std::string>;

TEST_F(Payload, ReadFileVersionReadsTheFirstTranslationsText)
{
    struct Case {
        const char* fixture;
        std::int32_t version[4];
    } cases[] = {
        {"PAYLOAD_V1", {1, 0, 0, 0}},     {"PAYLOAD_V2", {2, 0, 0, 0}},
        {"PAYLOAD_V3", {3, 0, 1, 0}},     {"PAYLOAD_NONE", {0, 0, 0, 0}},
        {"PAYLOAD_NOTRANS", {0, 0, 0, 0}}, // a text, but no translation to find it by
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixture);
        Place(c.fixture);
        FileVersionQuad version = ReadFileVersion(destination.c_str());
        EXPECT_TRUE(std::equal(version.part, version.part + 4, c.version));
    }
    FileVersionQuad missing = ReadFileVersion((directory + "\\missing.dll").c_str());
    EXPECT_TRUE(IsZeroVersion(missing));
}

TEST_F(Payload, FirstInstallationAsksNothing)
{
    Outcome outcome = Install("PAYLOAD_V2");
    EXPECT_EQ(1, outcome.result);
    EXPECT_EQ(Lines{"event 0"}, outcome.journal);
    ASSERT_EQ(1u, gCalls.size());
    EXPECT_EQ(0u, gCalls[0].flags);
    EXPECT_EQ("", gCalls[0].currentDirectory);
    EXPECT_EQ(0u, gCalls[0].result);
    ExpectDestination("PAYLOAD_V2");
    ExpectNoStrayFile();
}

TEST_F(Payload, TheSameVersionIsLeftWithoutTheLibrary)
{
    Place("PAYLOAD_V2");
    FILETIME before, after;
    HANDLE file = CreateFileA(destination.c_str(), 0, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    GetFileTime(file, nullptr, nullptr, &before);
    CloseHandle(file);
    Outcome outcome = Install("PAYLOAD_V2");
    EXPECT_EQ(1, outcome.result);
    EXPECT_EQ(Lines{"event 2"}, outcome.journal);
    EXPECT_TRUE(gCalls.empty());
    file = CreateFileA(destination.c_str(), 0, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    GetFileTime(file, nullptr, nullptr, &after);
    CloseHandle(file);
    EXPECT_EQ(0, CompareFileTime(&before, &after));
    ExpectNoStrayFile();
}

TEST_F(Payload, AnOlderCopyIsReplacedOnlyWithConsent)
{
    for (int answer : {IDNO, IDCANCEL}) {
        SCOPED_TRACE(answer);
        Place("PAYLOAD_V1");
        Outcome outcome = Install("PAYLOAD_V2", {answer});
        EXPECT_EQ(0, outcome.result);
        EXPECT_EQ(Lines{"box Install"}, outcome.journal);
        ASSERT_EQ(1u, outcome.boxes.size());
        ExpectUpgradeQuestion(outcome.boxes[0]);
        EXPECT_TRUE(gCalls.empty());
        ExpectDestination("PAYLOAD_V1");
        ExpectNoStrayFile();
    }

    Outcome outcome = Install("PAYLOAD_V2", {IDYES});
    EXPECT_EQ(1, outcome.result);
    EXPECT_EQ((Lines{"box Install", "event 3", "event 1"}), outcome.journal);
    ASSERT_EQ(1u, gCalls.size());
    EXPECT_EQ(directory, gCalls[0].currentDirectory);
    EXPECT_EQ(0u, gCalls[0].result);
    ExpectDestination("PAYLOAD_V2");
    ExpectNoStrayFile();
}

TEST_F(Payload, ANewerCopyIsReplacedOnlyWhenForced)
{
    const std::string list = "File mismatch. Existing file is more recent. ";
    for (int answer : {IDNO, IDCANCEL}) {
        SCOPED_TRACE(answer);
        Place("PAYLOAD_V3");
        Outcome outcome = Install("PAYLOAD_V2", {answer});
        EXPECT_EQ(0, outcome.result);
        EXPECT_EQ((Lines{"event 3", "box Warning"}), outcome.journal);
        ASSERT_EQ(1u, outcome.boxes.size());
        ExpectReplaceQuestion(outcome.boxes[0], list);
        ASSERT_EQ(1u, gCalls.size());
        EXPECT_EQ(static_cast<DWORD>(VIF_TEMPFILE | VIF_MISMATCH | VIF_SRCOLD), gCalls[0].result);
        ExpectDestination("PAYLOAD_V3");
        ExpectNoStrayFile(); // the library's temporary copy is gone
    }

    Outcome outcome = Install("PAYLOAD_V2", {IDYES});
    EXPECT_EQ(1, outcome.result);
    EXPECT_EQ((Lines{"event 3", "box Warning", "event 1"}), outcome.journal);
    ASSERT_EQ(2u, gCalls.size());
    EXPECT_EQ(static_cast<DWORD>(VIFF_FORCEINSTALL), gCalls[1].flags);
    // The forced call is given the copy the first one made.
    EXPECT_EQ(gCalls[0].tempNameAfter, gCalls[1].tempNameBefore);
    EXPECT_NE("", gCalls[1].tempNameBefore);
    ExpectDestination("PAYLOAD_V2");
    // Wine leaves the installed temporary copy behind; it must not stay.
    ExpectNoStrayFile();
}

TEST_F(Payload, AnInstalledCopyWithoutVersionTextCountsAsOlder)
{
    for (const char* installed : {"PAYLOAD_NONE", "PAYLOAD_NOTRANS"}) {
        SCOPED_TRACE(installed);
        Place(installed);
        Outcome outcome = Install("PAYLOAD_V3", {IDYES, IDYES});
        ASSERT_FALSE(outcome.boxes.empty());
        ExpectUpgradeQuestion(outcome.boxes[0]);
        EXPECT_EQ(1, outcome.result);
        EXPECT_EQ("event 1", outcome.journal.back());
        ExpectDestination("PAYLOAD_V3");
        ExpectNoStrayFile();
    }
}

TEST_F(Payload, TwoVersionlessFilesGoToTheLibraryWithoutAQuestion)
{
    Place("PAYLOAD_NONE");
    Outcome outcome = Install("PAYLOAD_NOTRANS");
    EXPECT_EQ(1, outcome.result);
    EXPECT_EQ((Lines{"event 3", "event 1"}), outcome.journal);
    ASSERT_EQ(1u, gCalls.size());
    ExpectDestination("PAYLOAD_NOTRANS");
    ExpectNoStrayFile();
}

TEST_F(Payload, ADestinationHeldWithoutSharingStaysIntact)
{
    Place("PAYLOAD_V1");
    std::string event = "orbelle-payload-holder";
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, event.c_str());
    robot::Child holder =
        robot::Start("\"" + support::WinPath(HOLDER) + "\" \"" + destination + "\" " + event);
    ASSERT_TRUE(holder.process);
    bool held = robot::WaitFor(
        [&] {
            HANDLE file = CreateFileA(destination.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
            if (file != INVALID_HANDLE_VALUE)
                CloseHandle(file);
            return (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION) ||
                   robot::WaitExit(holder, 0) != STILL_ACTIVE;
        },
        60000);
    ASSERT_TRUE(held);
    ASSERT_EQ(static_cast<DWORD>(STILL_ACTIVE), robot::WaitExit(holder, 0)) << "the holder ended";

    // Its version cannot be read: the upgrade question comes first.
    Outcome outcome = Install("PAYLOAD_V2", {IDYES, IDOK});
    SetEvent(release);
    EXPECT_EQ(0u, robot::WaitExit(holder, kBoxTimeout));
    CloseHandle(holder.process);
    CloseHandle(release);

    EXPECT_EQ(0, outcome.result);
    EXPECT_EQ((Lines{"box Install", "event 3", "box Error installing file"}), outcome.journal);
    ASSERT_EQ(2u, outcome.boxes.size());
    ExpectUpgradeQuestion(outcome.boxes[0]);
    ASSERT_EQ(1u, gCalls.size());
    // Wine's answer; Windows would say VIF_FILEINUSE (in use) here.
    EXPECT_EQ(static_cast<DWORD>(VIF_SHARINGVIOLATION | VIF_CANNOTDELETE), gCalls[0].result);
    ExpectProblem(outcome.boxes[1], "Sharing violation. Cannot delete file. ");
    ExpectDestination("PAYLOAD_V1");
    ExpectNoStrayFile();
}

TEST_F(Payload, AReadOnlyDestinationStaysIntact)
{
    Place("PAYLOAD_V1");
    SetFileAttributesA(destination.c_str(), FILE_ATTRIBUTE_READONLY);
    Outcome outcome = Install("PAYLOAD_V2", {IDYES, IDYES, IDOK});
    EXPECT_EQ(0, outcome.result);
    ASSERT_EQ(3u, outcome.boxes.size());
    EXPECT_EQ((Lines{"box Install", "event 3", "box Warning", "box Error installing file"}),
              outcome.journal);
    ExpectUpgradeQuestion(outcome.boxes[0]);
    ASSERT_EQ(2u, gCalls.size());
    EXPECT_EQ(static_cast<DWORD>(VIF_WRITEPROT), gCalls[0].result);
    ExpectReplaceQuestion(outcome.boxes[1], "Existing file is write-protected. ");
    EXPECT_NE(0u, gCalls[1].result);
    ExpectDestination("PAYLOAD_V1");
    EXPECT_NE(0u, GetFileAttributesA(destination.c_str()) & FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA(destination.c_str(), FILE_ATTRIBUTE_NORMAL);
    ExpectNoStrayFile();
}

// A temporary folder that TMP names for the length of one test.
class TempFolder {
public:
    // Creates the folder and each of its parents that is missing.
    explicit TempFolder(const std::string& path) : path_(path)
    {
        for (std::size_t at = path.find('\\', 3); at != std::string::npos;
             at = path.find('\\', at + 1))
            Create(path.substr(0, at));
        Create(path);
        GetEnvironmentVariableA("TMP", saved_, sizeof saved_);
        SetEnvironmentVariableA("TMP", path.c_str());
    }
    ~TempFolder()
    {
        SetEnvironmentVariableA("TMP", saved_);
        for (auto made = made_.rbegin(); made != made_.rend(); ++made)
            RemoveDirectoryA(made->c_str());
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

private:
    void Create(const std::string& folder)
    {
        if (CreateDirectoryA(folder.c_str(), nullptr))
            made_.push_back(folder);
    }
    std::string path_;
    char saved_[MAX_PATH] = "";
    std::vector<std::string> made_;
};

// The version library reads its source through a path of at most 127
// characters: a longer temporary folder reaches it in its short form, and
// where even that is too long the user sees the library's complaint.
TEST_F(Payload, ALongTemporaryFolderReachesTheLibraryInItsShortForm)
{
    std::string blanks = "C:\\a temporary folder with a long name";
    std::string eights = "C:";
    for (int i = 0; i < 15; ++i)
        eights += "\\abcdefgh"; // 8.3 already: the short form is as long
    struct Case {
        std::string folder;
        bool result;
        Lines journal;
    } cases[] = {
        {blanks + blanks.substr(2) + blanks.substr(2) + blanks.substr(2), true, {"event 0"}},
        {eights, false, {"box Error installing file"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        ASSERT_LT(127u, c.folder.size() + 12);
        DeleteFileA(destination.c_str());
        TempFolder folder(c.folder);
        Outcome outcome = Install("PAYLOAD_V2", {IDOK});
        EXPECT_EQ(c.result, outcome.result);
        EXPECT_EQ(c.journal, outcome.journal);
        if (!c.result) {
            ASSERT_EQ(1u, outcome.boxes.size());
            ExpectProblem(outcome.boxes[0], "Cannot read source file. ");
        } else {
            ExpectDestination("PAYLOAD_V2");
        }
    }
}

// Where no temporary file could be made, the warning names the folder.
TEST_F(Payload, AnUnusableTemporaryFolderIsNamedInTheWarning)
{
    char saved[MAX_PATH] = "";
    GetEnvironmentVariableA("TMP", saved, sizeof saved);
    const std::string tooLong = "C:\\" + std::string(300, 't');
    struct Case {
        std::string folder;
        std::string reason; // empty: whatever the system says
    } cases[] = {
        {"C:\\no such folder", ""},
        {tooLong, support::SystemText(ERROR_FILENAME_EXCED_RANGE)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        SetEnvironmentVariableA("TMP", c.folder.c_str());
        Outcome outcome = Install("PAYLOAD_V2");
        SetEnvironmentVariableA("TMP", saved);
        EXPECT_EQ(0, outcome.result);
        ASSERT_EQ(1u, outcome.boxes.size());
        EXPECT_EQ("Error", outcome.boxes[0].caption);
        std::string start = std::string("Unable to write ") + kDisplayName +
                             " to a temporary file in " + c.folder + ".\r\n";
        const std::string& text = outcome.boxes[0].text;
        EXPECT_EQ(0u, text.rfind(start, 0)) << text;
        EXPECT_LT(start.size(), text.size()) << "no reason given";
        if (!c.reason.empty()) {
            EXPECT_EQ(start + c.reason, text);
        }
        EXPECT_FALSE(support::FileExists(destination));
    }
}

// Answers Wine never gives, scripted: what the user sees for each.
TEST_F(Payload, EveryLibraryAnswerGetsItsMessage)
{
    const DWORD kForce = VIFF_FORCEINSTALL;
    struct Case {
        const char* trace;
        std::vector<DWORD> answers; // of the first and the forced call
        std::vector<int> user;
        int result;
        Lines journal;
        std::vector<DWORD> flags;
        const char* warning; // the replacement question's list, or null
        const char* problem; // the problem box's list, or null
    } cases[] = {
        {"success", {0}, {}, 1, {"event 0"}, {0}, nullptr, nullptr},
        {"a temporary copy only", {VIF_TEMPFILE}, {}, 1, {"event 0"}, {0}, nullptr, nullptr},
        {"bits outside the table", {0x80000000 | 0x200000}, {}, 1, {"event 0"}, {0}, nullptr,
         nullptr},
        {"in use and sharing violation", {VIF_FILEINUSE | VIF_SHARINGVIOLATION}, {IDOK}, 0,
         {"box Error installing file"}, {0}, nullptr, "Existing file is in use. Sharing violation. "},
        {"no decompression library", {0x80000}, {IDOK}, 0, {"box Error installing file"}, {0},
         nullptr, "Cannot load the decompression library. "},
        {"no cabinet library", {VIF_CANNOTREADSRC | 0x100000}, {IDOK}, 0,
         {"box Error installing file"}, {0}, nullptr,
         "Cannot read source file. Cannot load the cabinet library. "},
        {"different language, declined",
         {VIF_TEMPFILE | VIF_DIFFLANG | VIF_DIFFCODEPG | VIF_DIFFTYPE | VIF_OUTOFSPACE}, {IDNO}, 0,
         {"box Warning"}, {0},
         "New file is in a different language. New file requires a different codepage. New file is "
         "for a different system. ",
         nullptr},
        {"forced, then installed", {VIF_TEMPFILE | VIF_SRCOLD, 0}, {IDYES}, 1,
         {"box Warning", "event 0"}, {0, kForce}, "Existing file is more recent. ", nullptr},
        {"forced, then failed", {VIF_TEMPFILE | VIF_MISMATCH, VIF_TEMPFILE | VIF_CANNOTRENAME},
         {IDYES, IDOK}, 0, {"box Warning", "box Error installing file"}, {0, kForce},
         "File mismatch. ", "Cannot rename temporary file. "},
        {"forced, every final bit",
         {VIF_TEMPFILE | VIF_WRITEPROT, 0x1FFF80 & ~static_cast<DWORD>(VIF_TEMPFILE)},
         {IDYES, IDOK}, 0, {"box Warning", "box Error installing file"}, {0, kForce},
         "Existing file is write-protected. ",
         "Existing file is in use. Insufficient disk space free. Access violation. Sharing "
         "violation. Cannot delete existing file. Cannot rename temporary file. Out of memory. "
         "Cannot read source file. Cannot read existing file. Buffer too small. Cannot create "
         "temporary file. Cannot delete file. Cannot load the decompression library. Cannot load "
         "the cabinet library. "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.trace);
        gScript = c.answers;
        Outcome outcome = Install("PAYLOAD_V1", c.user, ScriptedInstall);
        EXPECT_EQ(c.result, outcome.result);
        EXPECT_EQ(c.journal, outcome.journal);
        std::vector<DWORD> flags;
        for (const LibraryCall& call : gCalls)
            flags.push_back(call.flags);
        EXPECT_EQ(c.flags, flags);
        std::size_t box = 0;
        if (c.warning && box < outcome.boxes.size())
            ExpectReplaceQuestion(outcome.boxes[box++], c.warning);
        if (c.problem && box < outcome.boxes.size())
            ExpectProblem(outcome.boxes[box++], c.problem);
        EXPECT_EQ(box, outcome.boxes.size());
        // No copy of the scripted library is left behind.
        EXPECT_EQ(std::vector<std::string>(), FileNames(directory));
    }
}

} // namespace
