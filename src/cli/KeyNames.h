// The keys as a person names them: the English text of each key's name, as the window labels it,
// read from the language file beside the program. A key is found by that text or by its name id
// (without "keyboard_key_"), in any letter case and with or without spaces.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace velnor7 {

class KeyNames {
public:
    // The texts of the shipped English language file; ids alone when it cannot be read.
    static const KeyNames& English();
    explicit KeyNames(std::map<std::string, std::string> textsById);

    // The key's text; its short id when the file has none.
    std::string Of(int key) const;
    // The key's id without "keyboard_key_"; empty for a key without one.
    static std::string ShortId(int key);
    std::optional<int> Find(std::string_view name) const;

private:
    std::map<std::string, std::string> texts_;
};

}  // namespace velnor7
