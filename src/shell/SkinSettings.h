#pragma once
// The chosen window background, kept in "main.ini" in the user data folder, section
// "SKINIMAGE": "FLAGS" 1 with "IMAGE" a picture, 2 with "COLOR" a colour, 0 the default.

#include "shell/SkinObserver.h"

#include <optional>

namespace velnor7 {

inline constexpr const char* kDefaultBackground = "common/background.png";

QString SkinSettingsFile();
// The remembered background; none when nothing (or nothing readable) is remembered.
std::optional<SkinChangedParam> LoadSkinChoice();
// False when the file cannot be written.
bool SaveSkinChoice(const SkinChangedParam& param, bool isDefault = false);
// Every window takes the background at once, and the next start shows it too.
void ChooseBackground(const SkinChangedParam& param, bool isDefault = false);
// Whether `image` (relative to the skin folder, or absolute) is a picture the window can show.
bool IsUsableBackground(const QString& image);

}  // namespace velnor7
