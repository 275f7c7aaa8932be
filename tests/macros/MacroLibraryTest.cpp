#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/JsonFile.h"
#include "common/UserNotice.h"
#include "macros/MacroFiles.h"
#include "macros/MacroLibrary.h"
#include "support/SpecialFiles.h"

namespace velnor7 {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using testing::EntriesContaining;
using testing::FileSizeLimit;
using testing::MakeFifo;

class MacroLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("velnor7_macros_" + std::to_string(::getpid()) + "_" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        folder_ = root_ / "keyboard";
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(root_); }

    static void WriteRaw(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
    static std::string ReadRaw(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    fs::path ListFile() const { return folder_ / kMacroListFileName; }
    fs::path MacroFile(const std::string& guid) const { return folder_ / (guid + ".mac"); }
    std::vector<MacroListEntry> ListOnDisk() const { return MacroListFromDocument(LoadJsonFile(ListFile().string())); }

    fs::path root_;
    fs::path folder_;
};

TEST_F(MacroLibraryTest, NewNamesTakeTheSmallestNumberFreeIgnoringLetterCase) {
    WriteRaw(ListFile(), R"({"MacroInfo": [{"MacroName": "macro_1", "Guid": "a"}, {"MacroName": "MACRO_2", "Guid": "b"}]})");
    MacroLibrary library(folder_);
    library.LoadList();
    const AddedMacro added = library.AddMacro();
    ASSERT_EQ(added.status, MacroStatus::Ok);
    EXPECT_EQ(added.name, "macro_3");
    EXPECT_EQ(added.index, 2u);

    // Gaps are refilled, and names the user typed count as taken.
    ASSERT_EQ(library.RenameMacro(0, "Macro_1x"), MacroStatus::Ok);
    EXPECT_EQ(library.AddMacro().name, "macro_1");
    ASSERT_EQ(library.RenameMacro(0, "MaCrO_4"), MacroStatus::Ok);
    EXPECT_EQ(library.AddMacro().name, "macro_5");

    // Ids of macros added within one millisecond still differ, and the file on disk matches.
    const std::vector<MacroListEntry> onDisk = ListOnDisk();
    EXPECT_EQ(onDisk, library.Macros());
    ASSERT_EQ(onDisk.size(), 5u);
    for (size_t i = 0; i < onDisk.size(); ++i)
        for (size_t j = i + 1; j < onDisk.size(); ++j) EXPECT_NE(onDisk[i].guid, onDisk[j].guid);
}

TEST_F(MacroLibraryTest, RenameRefusesEmptyAndTakenNamesTheMacrosOwnIncluded) {
    MacroLibrary library(folder_);
    library.AddMacro();
    library.AddMacro();
    EXPECT_EQ(library.RenameMacro(0, ""), MacroStatus::EmptyName);
    EXPECT_EQ(library.RenameMacro(0, "macro_1"), MacroStatus::NameInUse);
    EXPECT_EQ(library.RenameMacro(0, "MACRO_2"), MacroStatus::NameInUse);
    EXPECT_EQ(library.RenameMacro(2, "fresh"), MacroStatus::NoSelection);
    ASSERT_EQ(library.RenameMacro(1, "Überschlag 连发"), MacroStatus::Ok);
    EXPECT_EQ(ListOnDisk()[1].name, "Überschlag 连发");
    EXPECT_EQ(ListOnDisk()[0].name, "macro_1");
}

TEST_F(MacroLibraryTest, DeletingTheSecondOfThreeMovesTheThirdDownAndRemovesOnlyItsFile) {
    MacroLibrary library(folder_);
    for (int i = 0; i < 3; ++i) {
        const AddedMacro added = library.AddMacro();
        ASSERT_EQ(added.status, MacroStatus::Ok);
        ASSERT_EQ(library.SaveMacroEvents(added.index, {{kMacroKey, "down", 4 + i, 10}}), MacroStatus::Ok);
    }
    const std::vector<MacroListEntry> before = library.Macros();
    ASSERT_EQ(library.DeleteMacro(1), MacroStatus::Ok);

    EXPECT_EQ(ListOnDisk(), (std::vector<MacroListEntry>{before[0], before[2]}));
    EXPECT_EQ(library.Macros(), ListOnDisk());
    EXPECT_TRUE(fs::exists(MacroFile(before[0].guid)));
    EXPECT_FALSE(fs::exists(MacroFile(before[1].guid)));
    EXPECT_TRUE(fs::exists(MacroFile(before[2].guid)));
    EXPECT_EQ(library.LoadMacroEvents(1).events, (std::vector<MacroEvent>{{kMacroKey, "down", 6, 10}}));
    EXPECT_EQ(ReadAllMacroEvents(folder_).at(1).at(0).button, 6);
    EXPECT_EQ(library.DeleteMacro(2), MacroStatus::NoSelection);
}

TEST_F(MacroLibraryTest, DeletingAnEntryKeepsAFileThatAnotherEntryStillNames) {
    WriteRaw(ListFile(), R"({"MacroInfo": [{"MacroName": "a", "Guid": "same"}, {"MacroName": "b", "Guid": "same"}]})");
    WriteRaw(MacroFile("same"), R"({"Events": []})");
    MacroLibrary library(folder_);
    ASSERT_EQ(library.DeleteMacro(0), MacroStatus::Ok);
    EXPECT_TRUE(fs::exists(MacroFile("same")));
    ASSERT_EQ(library.DeleteMacro(0), MacroStatus::Ok);
    EXPECT_FALSE(fs::exists(MacroFile("same")));
}

TEST_F(MacroLibraryTest, SavedMacroFileHoldsNameGuidTextDelaysAndVersion) {
    MacroLibrary library(folder_);
    const AddedMacro added = library.AddMacro();
    EXPECT_FALSE(fs::exists(MacroFile(library.Macros()[0].guid)));  // no file until saved
    EXPECT_TRUE(library.LoadMacroEvents(0).events.empty());
    EXPECT_TRUE(ReadAllMacroEvents(folder_).at(0).empty());

    const std::vector<MacroEvent> events{{kMacroModifierKey, "down", 0x02, 0}, {kMacroHorizontalMove, "up", 30, 70}};
    ASSERT_EQ(library.SaveMacroEvents(added.index, events), MacroStatus::Ok);
    const Json::Value saved = LoadJsonFile(MacroFile(library.Macros()[0].guid).string());
    EXPECT_EQ(saved["MacroName"].asString(), "macro_1");
    EXPECT_EQ(saved["Guid"].asString(), library.Macros()[0].guid);
    EXPECT_EQ(saved["Version"].asInt(), 64);
    EXPECT_EQ(saved["Events"][1]["Delay"], Json::Value("70"));
    EXPECT_EQ(library.LoadMacroEvents(0).events, events);
}

TEST_F(MacroLibraryTest, ImportedMacroIsListedUnderItsNewNameWithTheFileCopiedByteForByte) {
    const std::string original =
        "{\"MacroName\": \"Rapid\", \"Guid\": \"2019_01_01_00_00_00_000\", \"Version\": 64,\n"
        " \"Events\": [{\"Type\": 10, \"Action\": \"down\", \"Button\": 4, \"Delay\": \"20\"}]}";
    WriteRaw(root_ / "shared.mac", original);
    MacroLibrary library(folder_);
    library.AddMacro();

    const AddedMacro imported = library.ImportMacro(root_ / "shared.mac");
    ASSERT_EQ(imported.status, MacroStatus::Ok);
    EXPECT_EQ(imported.name, "macro_2");
    EXPECT_EQ(ListOnDisk().at(1).name, "macro_2");
    EXPECT_NE(ListOnDisk().at(1).guid, "2019_01_01_00_00_00_000");
    EXPECT_EQ(ReadRaw(MacroFile(ListOnDisk().at(1).guid)), original);
    EXPECT_EQ(library.LoadMacroEvents(1).events.at(0).delayMs, 20);

    ASSERT_EQ(library.ExportMacro(1, root_ / "out.mac"), MacroStatus::Ok);
    EXPECT_EQ(ReadRaw(root_ / "out.mac"), original);
    EXPECT_EQ(library.ExportMacro(0, root_ / "never.mac"), MacroStatus::NoMacroFile);
    EXPECT_FALSE(fs::exists(root_ / "never.mac"));
}

TEST_F(MacroLibraryTest, FailedImportOrExportReportsItAndLeavesTheListAlone) {
    MacroLibrary library(folder_);
    EXPECT_EQ(library.ImportMacro(root_ / "missing.mac").status, MacroStatus::ReadFailed);
    EXPECT_EQ(library.ImportMacro(root_).status, MacroStatus::ReadFailed);  // a folder
    EXPECT_TRUE(library.Macros().empty());
    EXPECT_FALSE(fs::exists(ListFile()));

    library.AddMacro();
    library.SaveMacroEvents(0, {});
    EXPECT_EQ(library.ExportMacro(0, root_ / "no_such_folder" / "out.mac"), MacroStatus::WriteFailed);
}

TEST_F(MacroLibraryTest, BrokenListAndMacroFilesReadAsEmptyAndTheListIsRebuilt) {
    for (const std::string broken : {"{\"MacroInfo\": [", "[1,2,3]", "{\"MacroInfo\": 5}", "\"text\"", ""}) {
        WriteRaw(ListFile(), broken);
        MacroLibrary library(folder_);
        library.LoadList();
        EXPECT_TRUE(library.Macros().empty()) << broken;
        EXPECT_TRUE(ReadAllMacroEvents(folder_).empty()) << broken;
        ASSERT_EQ(library.AddMacro().status, MacroStatus::Ok) << broken;
        EXPECT_EQ(ListOnDisk().size(), 1u) << broken;
    }

    // Elements of the wrong shape keep their position, so later macros keep their numbers.
    WriteRaw(ListFile(), R"({"MacroInfo": [7, {"MacroName": 3, "Guid": ["x"]}, {"MacroName": "ok", "Guid": "g"}]})");
    WriteRaw(MacroFile("g"), R"({"Events": [{"Type": 1, "Action": "down", "Button": 1, "Delay": "5"}]})");
    MacroLibrary library(folder_);
    library.LoadList();
    ASSERT_EQ(library.Macros().size(), 3u);
    EXPECT_EQ(library.Macros()[2], (MacroListEntry{"ok", "g"}));
    EXPECT_EQ(library.LoadMacroEvents(0).status, MacroStatus::NoGuid);
    EXPECT_EQ(library.SaveMacroEvents(1, {}), MacroStatus::NoGuid);
    ASSERT_EQ(library.RenameMacro(0, "named"), MacroStatus::Ok);
    EXPECT_EQ(ListOnDisk()[0].name, "named");

    const std::vector<std::vector<MacroEvent>> device = ReadAllMacroEvents(folder_);
    ASSERT_EQ(device.size(), 3u);
    EXPECT_TRUE(device[0].empty());
    EXPECT_EQ(device[2].size(), 1u);

    WriteRaw(MacroFile("g"), "{\"Events\": [{\"Type\": 1,");
    EXPECT_TRUE(library.LoadMacroEvents(2).events.empty());
    EXPECT_EQ(library.LoadMacroEvents(2).status, MacroStatus::Ok);

    // Nesting deeper than the JSON reader allows makes it throw rather than fail.
    const std::string deep = "{\"Events\": " + std::string(5000, '[') + std::string(5000, ']') + "}";
    WriteRaw(MacroFile("g"), deep);
    EXPECT_TRUE(library.LoadMacroEvents(2).events.empty());
    EXPECT_TRUE(ReadAllMacroEvents(folder_).at(2).empty());
    WriteRaw(ListFile(), deep);
    library.LoadList();
    EXPECT_TRUE(library.Macros().empty());
    EXPECT_EQ(library.AddMacro().status, MacroStatus::Ok);
}

TEST_F(MacroLibraryTest, BrokenListIsKeptAsideBeforeTheFirstChangeReplacesIt) {
    const std::string broken = "{\"MacroInfo\": [{\"MacroName\": \"Rapid\", \"Gu\0\0\0"s;
    for (const std::string& text : {broken, std::string(R"({"MacroInfo": {"MacroName": "Rapid"}})")}) {
        SCOPED_TRACE(text);
        for (const std::string& old : EntriesContaining(folder_, ".broken-")) fs::remove(folder_ / old);
        WriteRaw(ListFile(), text);
        NoticeCapture notices;
        MacroLibrary library(folder_);
        library.LoadList();
        EXPECT_TRUE(library.Macros().empty());
        EXPECT_TRUE(EntriesContaining(folder_, ".broken-").empty()) << "reading alone changes nothing";
        EXPECT_TRUE(notices.Notices().empty());

        ASSERT_EQ(library.AddMacro().status, MacroStatus::Ok);
        const std::vector<std::string> copies = EntriesContaining(folder_, "macro.config.broken-");
        ASSERT_EQ(copies.size(), 1u);
        EXPECT_EQ(ReadRaw(folder_ / copies[0]), text);
        EXPECT_EQ(ListOnDisk().size(), 1u);
        ASSERT_EQ(notices.Notices().size(), 1u);
        EXPECT_TRUE(notices.Mentions("The macro list " + ListFile().string()));
        EXPECT_TRUE(notices.Mentions("kept as " + (folder_ / copies[0]).string()));

        // Once replaced, the list is an ordinary one again.
        ASSERT_EQ(library.AddMacro().status, MacroStatus::Ok);
        EXPECT_EQ(EntriesContaining(folder_, ".broken-").size(), 1u);
    }

    WriteRaw(ListFile(), broken);
    MacroLibrary library(folder_);
    {
        const FileSizeLimit limit(16);  // no room for the copy
        EXPECT_EQ(library.AddMacro().status, MacroStatus::ListUnusable);
    }
    EXPECT_EQ(ReadRaw(ListFile()), broken);
}

TEST_F(MacroLibraryTest, ListOrMacroFilesThatAreNotFilesAreNeverWrittenOver) {
    ASSERT_TRUE(MakeFifo(ListFile()));
    {
        NoticeCapture notices;
        MacroLibrary library(folder_);
        library.LoadList();
        EXPECT_TRUE(library.Macros().empty());
        EXPECT_EQ(library.AddMacro().status, MacroStatus::ListUnusable);
        EXPECT_TRUE(fs::is_fifo(ListFile()));
        EXPECT_EQ(notices.Notices().size(), 1u);
        EXPECT_TRUE(notices.Mentions(ListFile().string() + " is a named pipe (FIFO), not a file"));
    }
    fs::remove(ListFile());

    WriteRaw(ListFile(), R"({"MacroInfo": [{"MacroName": "a", "Guid": "fifo"},
                                           {"MacroName": "b", "Guid": "folder"}]})");
    ASSERT_TRUE(MakeFifo(MacroFile("fifo")));
    fs::create_directory(MacroFile("folder"));
    NoticeCapture notices;
    MacroLibrary library(folder_);
    library.LoadList();
    for (size_t index : {0u, 1u}) {
        SCOPED_TRACE(index);
        EXPECT_TRUE(library.LoadMacroEvents(index).events.empty());
        EXPECT_EQ(library.SaveMacroEvents(index, {{kMacroKey, "down", 4, 10}}), MacroStatus::WriteFailed);
        EXPECT_EQ(library.ExportMacro(index, root_ / "out.mac"), MacroStatus::NoMacroFile);
    }
    EXPECT_EQ(ReadAllMacroEvents(folder_).size(), 2u);
    EXPECT_EQ(library.ImportMacro(MacroFile("fifo")).status, MacroStatus::ReadFailed);
    EXPECT_TRUE(fs::is_fifo(MacroFile("fifo")));
    EXPECT_TRUE(fs::is_directory(MacroFile("folder")));
    EXPECT_TRUE(notices.Mentions("The macro file " + MacroFile("fifo").string() + " is a named pipe"));
    EXPECT_TRUE(notices.Mentions("the macro was not saved"));
    EXPECT_TRUE(EntriesContaining(folder_, ".tmp-").empty());
}

TEST_F(MacroLibraryTest, GuidsThatLeaveTheFolderAreNeverUsedAsFileNames) {
    const fs::path victim = root_ / "victim.mac";
    WriteRaw(victim, R"({"Events": [{"Type": 10, "Action": "down", "Button": 4, "Delay": "1"}]})");
    WriteRaw(ListFile(), R"({"MacroInfo": [{"MacroName": "evil", "Guid": "../victim"},
                                           {"MacroName": "abs", "Guid": ")" + (root_ / "victim").string() + R"("}]})");
    MacroLibrary library(folder_);
    library.LoadList();

    EXPECT_EQ(library.LoadMacroEvents(0).status, MacroStatus::UnsafeGuid);
    EXPECT_TRUE(library.LoadMacroEvents(0).events.empty());
    EXPECT_EQ(library.LoadMacroEvents(1).status, MacroStatus::UnsafeGuid);
    EXPECT_EQ(library.SaveMacroEvents(0, {}), MacroStatus::UnsafeGuid);
    EXPECT_EQ(library.ExportMacro(0, root_ / "copy.mac"), MacroStatus::UnsafeGuid);
    EXPECT_FALSE(fs::exists(root_ / "copy.mac"));
    const std::vector<std::vector<MacroEvent>> device = ReadAllMacroEvents(folder_);
    ASSERT_EQ(device.size(), 2u);
    EXPECT_TRUE(device[0].empty() && device[1].empty());

    // The entry can still be removed from the list; the outside file stays.
    ASSERT_EQ(library.DeleteMacro(0), MacroStatus::Ok);
    ASSERT_EQ(library.DeleteMacro(0), MacroStatus::Ok);
    EXPECT_TRUE(library.Macros().empty());
    EXPECT_TRUE(fs::exists(victim));
}

TEST_F(MacroLibraryTest, NoMoreThanFiftyMacrosNotEvenByImport) {
    WriteRaw(root_ / "import.mac", R"({"Events": []})");
    MacroLibrary library(folder_);
    for (size_t i = 0; i < kMaxMacros; ++i) ASSERT_EQ(library.AddMacro().status, MacroStatus::Ok) << i;
    EXPECT_EQ(library.Macros().back().name, "macro_50");

    EXPECT_EQ(library.AddMacro().status, MacroStatus::LimitReached);
    EXPECT_EQ(library.ImportMacro(root_ / "import.mac").status, MacroStatus::LimitReached);
    EXPECT_EQ(ListOnDisk().size(), kMaxMacros);
    size_t macroFiles = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder_)) macroFiles += entry.path().extension() == ".mac";
    EXPECT_EQ(macroFiles, 0u);

    ASSERT_EQ(library.DeleteMacro(10), MacroStatus::Ok);
    EXPECT_EQ(library.AddMacro().name, "macro_11");
}

TEST_F(MacroLibraryTest, UnwritableFolderReportsFailureInsteadOfAnAddedMacro) {
    MacroLibrary library(folder_ / "missing_folder");
    EXPECT_EQ(library.AddMacro().status, MacroStatus::WriteFailed);
    EXPECT_TRUE(library.Macros().empty());
    MacroLibrary withoutFolder{fs::path()};
    EXPECT_EQ(withoutFolder.AddMacro().status, MacroStatus::NoDataFolder);
}

}  // namespace
}  // namespace velnor7
