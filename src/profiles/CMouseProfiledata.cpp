#include "profiles/CMouseProfiledata.h"

#include "profiles/JsonAccess.h"

namespace velnor7 {
namespace {

constexpr FieldKey<DpiStage, uint8_t> kStageByteKeys[] = {
    {"StageActive", &DpiStage::active},
    {"StageXY", &DpiStage::xy},
    {"StageColorR", &DpiStage::red},
    {"StageColorG", &DpiStage::green},
    {"StageColorB", &DpiStage::blue},
};

constexpr FieldKey<DpiStage, uint16_t> kStageWordKeys[] = {
    {"StageDPIX", &DpiStage::dpiX},
    {"StageDPIY", &DpiStage::dpiY},
};

// "ReportStages"."StageActive" is the sixth value, kept apart from these.
constexpr FieldKey<MouseSystemValues, uint16_t> kSystemKeys[] = {
    {"DoubleClickTime", &MouseSystemValues::doubleClickTime},
    {"MouseSpeed", &MouseSystemValues::mouseSpeed},
    {"PointerPrecision", &MouseSystemValues::pointerPrecision},
    {"ScorllPage", &MouseSystemValues::scrollPage},
    {"WheelScorlllinse", &MouseSystemValues::wheelScrollLines},
};

constexpr FieldKey<MouseSystemValues, uint16_t> kReportKeys[] = {
    {"StageActive", &MouseSystemValues::reportRate},
};

constexpr FieldKey<CorrectEntry, uint8_t> kCorrectKeys[] = {
    {"CorrectPixThresh", &CorrectEntry::pixThresh},
    {"CorrectMinSq", &CorrectEntry::minSq},
    {"CorrectSelect", &CorrectEntry::select},
};

}  // namespace

std::vector<DpiStage> CMouseProfiledata::ReadDpiStages() {
    const Json::Value& stored = MemberOf(GetDocument(), "DPIStages");
    if (!stored.isObject()) return dpiStages_;
    activeStage_ = IntOf(MemberOf(stored, "StageActive"));
    const Json::Value& stages = MemberOf(stored, "StageDPIs");
    for (Json::ArrayIndex j = 0; stages.isArray() && j < stages.size(); ++j) {
        DpiStage stage;
        ReadFields(stages[j], kStageByteKeys, stage);
        ReadFields(stages[j], kStageWordKeys, stage);
        if (j < dpiStages_.size()) {
            dpiStages_[j] = stage;
        } else {
            dpiStages_.push_back(stage);
        }
    }
    return dpiStages_;
}

void CMouseProfiledata::WriteDpiStages(const std::vector<DpiStage>& stages) {
    dpiStages_ = stages;
    Json::Value& stored = ObjectMember(ObjectMember(Document(), "DPIStages"), "StageDPIs");
    for (size_t i = 0; i < stages.size(); ++i) {
        Json::Value& element = ArrayElement(stored, static_cast<Json::ArrayIndex>(i));
        WriteFields(element, kStageByteKeys, stages[i]);
        WriteFields(element, kStageWordKeys, stages[i]);
    }
}

void CMouseProfiledata::WriteActiveDpiStage(int32_t stage) {
    activeStage_ = stage;
    ObjectMember(ObjectMember(Document(), "DPIStages"), "StageActive") = Json::Value(stage);
}

MouseSystemValues CMouseProfiledata::ReadMouseSystem() {
    systemValues_ = MouseSystemValues{};
    ReadFields(MemberOf(GetDocument(), "SystemStages"), kSystemKeys, systemValues_);
    ReadFields(MemberOf(GetDocument(), "ReportStages"), kReportKeys, systemValues_);
    return systemValues_;
}

void CMouseProfiledata::WriteMouseSystem(const MouseSystemValues& values) {
    systemValues_ = values;
    WriteFields(ObjectMember(Document(), "SystemStages"), kSystemKeys, values);
    WriteFields(ObjectMember(Document(), "ReportStages"), kReportKeys, values);
}

std::vector<CorrectEntry> CMouseProfiledata::ReadCorrectInfo() {
    correctList_.clear();
    const Json::Value& stored = MemberOf(GetDocument(), "CorrectInfo");
    for (Json::ArrayIndex i = 0; stored.isArray() && i < stored.size(); ++i) {
        CorrectEntry entry;
        ReadFields(stored[i], kCorrectKeys, entry);
        entry.name = StringOf(MemberOf(stored[i], "CorrectName"));
        correctList_.push_back(entry);
    }
    return correctList_;
}

}  // namespace velnor7
