#include "profiles/JsonAccess.h"

#include <cmath>

namespace velnor7 {
namespace {

const Json::Value& NullValue() {
    static const Json::Value null;
    return null;
}

}  // namespace

const Json::Value& MemberOf(const Json::Value& value, const char* key) {
    if (!value.isObject()) return NullValue();
    const Json::Value* member = value.find(key, key + std::char_traits<char>::length(key));
    return member ? *member : NullValue();
}

const Json::Value& ElementOf(const Json::Value& value, Json::ArrayIndex index) {
    if (!value.isArray() || index >= value.size()) return NullValue();
    return value[index];
}

int32_t IntOf(const Json::Value& value) {
    if (value.isBool()) return value.asBool() ? 1 : 0;
    if (value.isInt64()) return static_cast<int32_t>(static_cast<uint32_t>(value.asInt64()));
    if (value.isUInt64()) return static_cast<int32_t>(static_cast<uint32_t>(value.asUInt64()));
    if (value.isDouble()) {
        const double number = std::trunc(value.asDouble());
        // Outside the 64-bit range the conversion would be undefined.
        if (!(number > -9.2e18 && number < 9.2e18)) return 0;
        return static_cast<int32_t>(static_cast<uint32_t>(static_cast<int64_t>(number)));
    }
    return 0;
}

bool BoolOf(const Json::Value& value) {
    if (value.isBool()) return value.asBool();
    if (value.isDouble()) return value.asDouble() != 0.0;
    return IntOf(value) != 0;
}

std::string StringOf(const Json::Value& value) { return value.isString() ? value.asString() : std::string(); }

Json::Value& ObjectMember(Json::Value& value, const char* key) {
    if (!value.isObject()) value = Json::Value(Json::objectValue);
    return value[key];
}

Json::Value& ArrayElement(Json::Value& value, Json::ArrayIndex index) {
    if (!value.isArray()) value = Json::Value(Json::arrayValue);
    return value[index];
}

}  // namespace velnor7
