// Profile data of the headset page: the base records plus the audio settings,
// the equaliser band values and the user's named custom equalisers.
#pragma once

#include <json/value.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "profiles/CBasicProfiledata.h"

namespace velnor7 {

constexpr int kEqBandCount = 10;
// The EQ type whose values live among the custom equalisers instead.
constexpr int kCustomEqType = 13;

// The "EQHzValueInfo" element of an EQ type: 1..12 their own, the custom type
// none, every other type the first preset's.
std::optional<Json::ArrayIndex> EqSlot(int eqType);

class CVa6533Profiledata : public CBasicProfiledata {
public:
    HeadsetAudioSettings ReadHeadsetSettings();
    void WriteHeadsetSettings(const HeadsetAudioSettings& settings);

    // Ten band values. A slot not yet in the document is created with zeros.
    // The custom type reads as an empty list and writes nothing.
    std::vector<int32_t> ReadEqValues(int eqType);
    void WriteEqValues(int eqType, const std::vector<int32_t>& values);

    std::vector<std::string> ReadCustomEqNames();
    void WriteCustomEqNames(const std::vector<std::string>& names);
    // As the EQ values, for custom equaliser `number`; a number outside
    // 0..kMaxDocumentIndex reads as an empty list and writes nothing.
    std::vector<int32_t> ReadCustomEqValues(int number);
    void WriteCustomEqValues(int number, const std::vector<int32_t>& values);

    const HeadsetAudioSettings& GetHeadsetSettings() const { return settings_; }

private:
    std::vector<int32_t> ReadBands(const char* key, Json::ArrayIndex slot);
    void WriteBands(const char* key, Json::ArrayIndex slot, const std::vector<int32_t>& values);

    HeadsetAudioSettings settings_;
};

}  // namespace velnor7
