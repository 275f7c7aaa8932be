// Type-tolerant access to profile documents. Profile files are edited by hand and
// imported from elsewhere, so any member may have the wrong JSON type; jsoncpp
// throws on such access, and these helpers read a wrong type as absent and replace
// it where a value has to be written.
#pragma once

#include <json/value.h>

#include <cstdint>
#include <string>
#include <type_traits>

namespace velnor7 {

// The member, or a null value when `value` is not an object or lacks it.
const Json::Value& MemberOf(const Json::Value& value, const char* key);
// The element, or a null value when `value` is not an array or is shorter.
const Json::Value& ElementOf(const Json::Value& value, Json::ArrayIndex index);

// A number as a 32-bit signed integer (larger integers keep their low 32 bits,
// fractions are cut); 0 for anything that is not a number or boolean.
int32_t IntOf(const Json::Value& value);
// True for true and any non-zero number.
bool BoolOf(const Json::Value& value);
// The text of a string value; empty for anything else.
std::string StringOf(const Json::Value& value);

// The member for writing; `value` becomes an object first when it is not one.
Json::Value& ObjectMember(Json::Value& value, const char* key);
// The element for writing; `value` becomes an array first when it is not one.
Json::Value& ArrayElement(Json::Value& value, Json::ArrayIndex index);

// Indexes that come from files or callers (device, colour group, custom EQ) and
// would make a write grow an array are refused beyond this, so that one stray
// number cannot make a profile millions of elements long.
constexpr int kMaxDocumentIndex = 255;

// One record field stored as its own JSON member.
template <typename Record, typename Field>
struct FieldKey {
    const char* key;
    Field Record::*member;
    bool readAsBool = false;
};

// Reads every listed member of `object` into `record`, keeping the low bits that fit.
template <typename Record, typename Field, size_t N>
void ReadFields(const Json::Value& object, const FieldKey<Record, Field> (&keys)[N], Record& record) {
    for (const auto& field : keys) {
        const Json::Value& stored = MemberOf(object, field.key);
        record.*field.member = static_cast<Field>(field.readAsBool ? BoolOf(stored) : IntOf(stored));
    }
}

// Writes every listed field of `record` into `object` (which becomes an object
// when it is not one); the other members of `object` stay as they are.
template <typename Record, typename Field, size_t N>
void WriteFields(Json::Value& object, const FieldKey<Record, Field> (&keys)[N], const Record& record) {
    for (const auto& field : keys) {
        if constexpr (std::is_signed_v<Field>) {
            ObjectMember(object, field.key) = Json::Value(static_cast<Json::Int>(record.*field.member));
        } else {
            ObjectMember(object, field.key) = Json::Value(static_cast<Json::UInt>(record.*field.member));
        }
    }
}

}  // namespace velnor7
