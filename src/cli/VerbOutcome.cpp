#include "cli/VerbOutcome.h"

#include <json/writer.h>

#include <ostream>

namespace velnor7 {

VerbOutcome VerbOutcome::Done(std::string text, Json::Value details) {
    details["ok"] = true;
    return {kExitOk, {}, std::move(text), std::move(details)};
}

void PrintJson(std::ostream& out, const Json::Value& value) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "  ";
    out << Json::writeString(builder, value) << '\n';
}

int PrintOutcome(bool json, const VerbOutcome& outcome, std::ostream& out, std::ostream& err) {
    if (outcome.status == kExitOk) {
        if (json) PrintJson(out, outcome.json);
        else out << outcome.text;
        return kExitOk;
    }
    // What did work before the failure is printed too.
    if (!json) out << outcome.text;
    err << "velnor7ctl: " << outcome.error << '\n';
    if (json) {
        Json::Value failure = outcome.json.isObject() ? outcome.json : Json::Value(Json::objectValue);
        failure["ok"] = false;
        failure["error"] = outcome.error;
        PrintJson(out, failure);
    }
    return outcome.status;
}

}  // namespace velnor7
