#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>

#include "keyboard/CategoryTables.h"
#include "keyboard/DefaultKeyTable.h"
#include "keyboard/KeyCodeTable.h"
#include "keyboard/KeyLayout.h"

namespace velnor7 {
namespace {

TEST(KeyTables, Sizes) {
    EXPECT_EQ(KeyCodeTable.size(), 141u);
    EXPECT_EQ(DefaultKeyTable.size(), 126u);
    EXPECT_EQ(KeyGrid.size(), 23u * 6u);
    EXPECT_EQ(KeyGridTall.size(), 23u * 7u);
    EXPECT_EQ(MouseButtonTable.size(), 5u);
    EXPECT_EQ(DpiFunctionTable.size(), 3u);
    EXPECT_EQ(SystemKeyTable.size(), 3u);
    EXPECT_EQ(MediaKeyTable.size(), 18u);
    EXPECT_EQ(ComboKeyTable.size(), 11u);
}

TEST(KeyCodeTable, RowGroupsHaveTheirCodeShapes) {
    for (size_t row = 0; row < 8; ++row)
        EXPECT_EQ(KeyCodeTable[row].code, (KeyCode{0x20, static_cast<uint8_t>(1u << row), 0})) << row;
    std::set<uint8_t> usages;
    for (size_t row = 8; row < 113; ++row) {
        const KeyCode& code = KeyCodeTable[row].code;
        EXPECT_EQ(code.type, 0x20) << row;
        EXPECT_EQ(code.p1, 0) << row;
        EXPECT_TRUE(usages.insert(code.p2).second) << "usage twice, row " << row;
    }
    for (size_t row = 113; row < 131; ++row) EXPECT_EQ(KeyCodeTable[row].code.type, 0x30) << row;
    for (size_t row = 131; row < 134; ++row) EXPECT_EQ(KeyCodeTable[row].code.type, 0x40) << row;
    for (size_t row = 134; row < 139; ++row)
        EXPECT_EQ(KeyCodeTable[row].code, (KeyCode{0xD0, 0xA2, static_cast<uint8_t>(row - 133)})) << row;
    EXPECT_EQ(KeyCodeTable[139].code, (KeyCode{0xA0, 0x01, 0x00}));
    EXPECT_EQ(KeyCodeTable[140].code, (KeyCode{0xA0, 0x1B, 0x00}));
}

TEST(KeyCodeTable, ScanCodesIdentifyTheFirst113RowsOnly) {
    std::set<std::pair<uint8_t, bool>> scans;
    for (size_t row = 0; row < 113; ++row) {
        EXPECT_NE(KeyCodeTable[row].scanCode, 0) << row;
        EXPECT_TRUE(scans.insert({KeyCodeTable[row].scanCode, KeyCodeTable[row].extended}).second) << row;
    }
    for (size_t row = 113; row < 141; ++row) EXPECT_EQ(KeyCodeTable[row].scanCode, 0) << row;
}

TEST(KeyCodeTable, NameIdsAndOddValuesAreKeptLetterForLetter) {
    EXPECT_EQ(KeyCodeTable[53].nameId, "keyboard_key_xiegang");
    EXPECT_EQ(KeyCodeTable[56].nameId, "keyboard_key_`");
    EXPECT_EQ(KeyCodeTable[114].nameId, "keyboard_key_Browaer Home");
    EXPECT_EQ(KeyCodeTable[123].nameId, "keyboard_key_Browser ForWard");
    EXPECT_EQ(KeyCodeTable[129].nameId, "wed_stop");
    EXPECT_EQ(KeyCodeTable[91].virtualKey, 0x101);
    EXPECT_EQ(KeyCodeTable[131].virtualKey, 0x103);
    EXPECT_EQ(KeyCodeTable[5].scanCode, 0x36);
    EXPECT_TRUE(KeyCodeTable[5].extended);
}

TEST(KeyCodeTable, RowForCapturedKey) {
    EXPECT_EQ(RowForCapturedKey(0x30, false), 9u);    // B
    EXPECT_EQ(RowForCapturedKey(0x30, true), std::nullopt);  // Volume Up: a media key
    EXPECT_EQ(RowForCapturedKey(0x45, true), 86u);    // Num Lock
    EXPECT_EQ(RowForCapturedKey(0x45, false), 75u);   // Pause
    EXPECT_EQ(RowForCapturedKey(0x1D, true), 4u);     // right Ctrl
    EXPECT_EQ(RowForCapturedKey(0x00, false), std::nullopt);
}

std::string ExpectedNameId(const std::string& name) {
    if (name.empty() || name.starts_with("media_") || name.starts_with("web_")) return name;
    return "keyboard_key_" + name;
}

TEST(DefaultKeyTable, EveryKeyIndexCarriesItsKeysName) {
    const char* const names[126] = {
        "Esc", "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10", "F11", "F12", "Print Scr",
        "Scroll Lock", "Pause", "GM", "", "web_search", "media_mail", "media_play",
        "`", "1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "-", "=", "BackSpace", "Insert", "Home",
        "Page Up", "Num Lock", "Num /", "Num *", "Num -",
        "Tab", "Q", "W", "E", "R", "T", "Y", "U", "I", "O", "P", "[", "]", "xiegang", "Delete", "End",
        "Page Down", "Num 7", "Num 8", "Num 9", "",
        "Caplk", "A", "S", "D", "F", "G", "H", "J", "K", "L", ";", "'", "Enter", "Num 4", "Num 5", "Num 6",
        "K132", "K131", "K151", "K150", "K133",
        "LShift", "Z", "X", "C", "V", "B", "N", "M", "<", ".", "/", "RShift", "Up", "Num 1", "Num 2",
        "Num 3", "K56", "K14", "K45", "K107", "",
        "LCtrl", "LWin", "LAlt", "Space", "RAlt", "FN", "App", "RCtrl", "Left", "Down", "Right", "Num 0",
        "Decimal", "Num Enter", "Num +", "M1", "M2", "M3", "M4", "M5", "RWin",
    };
    for (int key = 0; key < kKeyCount; ++key) EXPECT_EQ(KeyName(key), ExpectedNameId(names[key])) << key;
    EXPECT_EQ(KeyName(16), "keyboard_key_GM");
    EXPECT_EQ(KeyName(17), "");
    EXPECT_EQ(KeyName(-1), "");
    EXPECT_EQ(KeyName(126), "");
}

TEST(DefaultKeyTable, CodesOutsideTheKeyCodeTableAndSharedCodes) {
    EXPECT_EQ(DefaultKeyTable[17], (KeyCode{0xA0, 0x24, 0x00}));
    EXPECT_EQ(DefaultKeyTable[62], (KeyCode{0x20, 0x00, 0x00}));
    EXPECT_EQ(DefaultKeyTable[104], (KeyCode{0x20, 0x00, 0x00}));
    // Slots are found by factory code, so no other two keys may share one.
    for (size_t a = 0; a < DefaultKeyTable.size(); ++a)
        for (size_t b = a + 1; b < DefaultKeyTable.size(); ++b)
            EXPECT_TRUE((a == 62 && b == 104) || DefaultKeyTable[a] != DefaultKeyTable[b]) << a << " " << b;
}

bool InKeyCodeTable(size_t begin, size_t end, const KeyCode& code) {
    return std::any_of(KeyCodeTable.begin() + static_cast<long>(begin), KeyCodeTable.begin() + static_cast<long>(end),
                       [&](const KeyCodeRow& row) { return row.code == code; });
}

TEST(CategoryTables, AgreeWithTheKeyCodeTable) {
    for (const KeyCode& media : MediaKeyTable) EXPECT_TRUE(InKeyCodeTable(113, 131, media)) << int(media.p1);
    std::set<std::pair<uint8_t, uint8_t>> distinctMedia;
    for (const KeyCode& media : MediaKeyTable) distinctMedia.insert({media.p1, media.p2});
    EXPECT_EQ(distinctMedia.size(), 18u);
    // Combo item order: media select, play, stop, previous, next, volume down, up, mute, browser home,
    // refresh, stop, back, forward, favourites, search, computer, calculator, mail.
    const size_t mediaRows[18] = {130, 115, 120, 125, 126, 121, 118, 119, 114, 128, 129, 124, 123, 122, 116, 127, 113, 117};
    for (size_t row = 0; row < MediaKeyTable.size(); ++row)
        EXPECT_EQ(MediaKeyTable[row], KeyCodeTable[mediaRows[row]].code) << row;

    for (size_t row = 0; row < SystemKeyTable.size(); ++row) EXPECT_EQ(SystemKeyTable[row], KeyCodeTable[131 + row].code);

    const char* const comboKeys[11] = {"O", "N", "Z", "S", "C", "X", "V", "F", "A", "-", "="};
    for (size_t row = 0; row < ComboKeyTable.size(); ++row) {
        EXPECT_EQ(ComboKeyTable[row].type, 0x20);
        EXPECT_EQ(ComboKeyTable[row].p1, 0x01);
        const auto keyRow = RowForKeyUsage(ComboKeyTable[row].p2);
        ASSERT_TRUE(keyRow) << row;
        EXPECT_EQ(KeyCodeTable[*keyRow].nameId, ExpectedNameId(comboKeys[row]));
    }

    EXPECT_EQ(MouseButtonTable[1], (KeyCode{0x10, 0x04, 0x00}));
    EXPECT_EQ(DpiFunctionTable[2], (KeyCode{0x13, 0x03, 0x00}));
    EXPECT_TRUE(CategoryTable(FunctionCategory::Fire).empty());
    EXPECT_EQ(CategoryTable(FunctionCategory::ComboKey).size(), 11u);
}

TEST(KeyLayout, GridsHoldEachKeyOnceAndOnlyValidKeys) {
    std::set<int> seen;
    for (const KeyIndex key : KeyGrid) {
        if (key == kEmptyCell) continue;
        EXPECT_LT(key, kKeyCount);
        EXPECT_TRUE(seen.insert(key).second) << "key twice in the grid: " << int(key);
    }
    for (const KeyIndex key : KeyGridTall) EXPECT_TRUE(key == kAbsentKey || key < kKeyCount) << int(key);
    // The tall layout lists each row's keys in KeyIndex order, left to right.
    for (int row = 0; row < kKeyGridTallRows; ++row) {
        int previous = -1;
        for (int column = 0; column < kKeyGridColumns; ++column) {
            const KeyIndex key = KeyGridTallCell(column, row);
            if (key == kAbsentKey) continue;
            EXPECT_GE(key, previous) << "column " << column << ", row " << row;
            previous = key;
        }
    }
    // Keys without a place in the grid.
    for (const int key : {13, 35, 100, 101, 102, 103}) EXPECT_EQ(seen.count(key), 0u) << key;
}

TEST(KeyLayout, CellsAreStoredColumnByColumn) {
    EXPECT_EQ(KeyGridCell(0, 0), kEmptyCell);
    EXPECT_EQ(KeyGridCell(2, 0), 0);     // Esc
    EXPECT_EQ(KeyGridCell(15, 0), 110);  // FN
    EXPECT_EQ(KeyGridCell(0, 1), 120);   // M1
    EXPECT_EQ(KeyGridCell(22, 3), 119);  // Num +
    EXPECT_EQ(KeyGridCell(10, 5), 125);  // RWin
    EXPECT_EQ(KeyGrid[15 * 6 + 4], 96);  // Up
    EXPECT_EQ(KeyGridCell(23, 0), kEmptyCell);
    EXPECT_EQ(KeyGridCell(0, 6), kEmptyCell);

    EXPECT_EQ(KeyGridTallCell(20, 0), 125);
    EXPECT_EQ(KeyGridTallCell(19, 1), 17);
    EXPECT_EQ(KeyGridTallCell(14, 2), 34);  // BackSpace takes two cells
    EXPECT_EQ(KeyGridTallCell(15, 2), 34);
    EXPECT_EQ(KeyGridTallCell(9, 6), 109);
    EXPECT_EQ(KeyGridTallCell(10, 6), 109);
    EXPECT_EQ(KeyGridTall[0 * 7 + 6], 105);
    EXPECT_EQ(KeyGridTallCell(-1, 0), kAbsentKey);
    EXPECT_EQ(KeyGridTallCell(0, 7), kAbsentKey);
}

}  // namespace
}  // namespace velnor7
