// Profile data of the mouse page: the base records plus DPI stages, the mouse
// system values and the motion-correction list.
#pragma once

#include <cstdint>
#include <vector>

#include "profiles/CBasicProfiledata.h"

namespace velnor7 {

class CMouseProfiledata : public CBasicProfiledata {
public:
    // Reads the active stage and merges "StageDPIs" into the cached stages: entry j
    // of the document replaces cached entry j or is appended; the cache never
    // shrinks. Without "DPIStages" the cache and the active stage stay as they were.
    std::vector<DpiStage> ReadDpiStages();
    // Writes the stages at their positions; document entries beyond the list stay.
    void WriteDpiStages(const std::vector<DpiStage>& stages);
    int32_t GetActiveDpiStage() const { return activeStage_; }
    void WriteActiveDpiStage(int32_t stage);

    MouseSystemValues ReadMouseSystem();
    void WriteMouseSystem(const MouseSystemValues& values);

    std::vector<CorrectEntry> ReadCorrectInfo();

    const std::vector<DpiStage>& GetDpiStages() const { return dpiStages_; }
    const MouseSystemValues& GetMouseSystem() const { return systemValues_; }
    const std::vector<CorrectEntry>& GetCorrectInfo() const { return correctList_; }

private:
    std::vector<DpiStage> dpiStages_;
    int32_t activeStage_ = 0;
    MouseSystemValues systemValues_;
    std::vector<CorrectEntry> correctList_;
};

}  // namespace velnor7
