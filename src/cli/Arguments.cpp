#include "cli/Arguments.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace velnor7 {
namespace {

// Values for LEDs rather than for a screen: orange, purple and pink are the saturated
// mixes, since the screen's paler ones come out washed-out white on the keys.
constexpr NamedColour kColourNames[] = {
    {"black", {0x00, 0x00, 0x00}},  {"white", {0xff, 0xff, 0xff}},  {"red", {0xff, 0x00, 0x00}},
    {"green", {0x00, 0xff, 0x00}},  {"blue", {0x00, 0x00, 0xff}},   {"yellow", {0xff, 0xff, 0x00}},
    {"cyan", {0x00, 0xff, 0xff}},   {"magenta", {0xff, 0x00, 0xff}}, {"orange", {0xff, 0x80, 0x00}},
    {"purple", {0x80, 0x00, 0xff}}, {"pink", {0xff, 0x40, 0x80}},
};

bool SameIgnoringCase(const std::string& a, const char* b) {
    const std::string_view other(b);
    return a.size() == other.size() && std::equal(a.begin(), a.end(), other.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::optional<int> ParseNumber(const std::string& text, int low, int high) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

std::optional<bool> ParseOnOff(const std::string& text) {
    if (text == "on") return true;
    if (text == "off") return false;
    return std::nullopt;
}

std::optional<std::array<uint8_t, 3>> ParseHexTriplet(const std::string& text) {
    if (text.size() != 6) return std::nullopt;
    std::array<uint8_t, 3> bytes{};
    for (size_t i = 0; i < 3; ++i) {
        const char* first = text.data() + 2 * i;
        if (std::from_chars(first, first + 2, bytes[i], 16).ptr != first + 2) return std::nullopt;
    }
    return bytes;
}

std::optional<Rgb> ParseColour(const std::string& text) {
    for (const NamedColour& named : kColourNames) {
        if (SameIgnoringCase(text, named.name)) return named.rgb;
    }
    const auto bytes = ParseHexTriplet(!text.empty() && text[0] == '#' ? text.substr(1) : text);
    if (!bytes) return std::nullopt;
    return Rgb{(*bytes)[0], (*bytes)[1], (*bytes)[2]};
}

std::span<const NamedColour> ColourNames() { return kColourNames; }

}  // namespace velnor7
