#include "json_text.h"

#include <charconv>
#include <cmath>

namespace qevmodel {
namespace {

bool HoldsObject(const Json& json) {
    if (json.is_object()) return true;
    if (!json.is_array()) return false;
    for (const auto& item : json)
        if (HoldsObject(item)) return true;
    return false;
}

// One line when nothing inside is an object: vertices, triangles and dialog
// records then read one per line.
bool PrintsOnOneLine(const Json& json) {
    if (json.is_array()) return !HoldsObject(json);
    if (json.is_object()) {
        for (const auto& member : json.items())
            if (HoldsObject(member.value())) return false;
        return true;
    }
    return true;
}

void PrintScalar(const Json& json, std::string& out) {
    if (json.is_number_float()) {
        const float value = json.get<float>();
        // Non-finite floats have no JSON number; the model JSON spells them as
        // strings before they get here, so this is only a guard.
        out += std::isfinite(value) ? ShortestFloatText(value) : "null";
        return;
    }
    out += json.dump();
}

void Print(const Json& json, int depth, std::string& out) {
    if (!json.is_structured()) {
        PrintScalar(json, out);
        return;
    }
    const bool isObject = json.is_object();
    const char open = isObject ? '{' : '[';
    const char close = isObject ? '}' : ']';
    if (json.empty()) {
        out += open;
        out += close;
        return;
    }
    const bool oneLine = PrintsOnOneLine(json);
    const std::string inner(static_cast<size_t>(depth + 1) * 2, ' ');
    out += open;
    bool first = true;
    for (const auto& member : json.items()) {
        if (!first) out += oneLine ? ", " : ",";
        first = false;
        if (!oneLine) {
            out += '\n';
            out += inner;
        }
        if (isObject) {
            out += Json(member.key()).dump();
            out += ": ";
        }
        Print(member.value(), depth + 1, out);
    }
    if (!oneLine) {
        out += '\n';
        out += std::string(static_cast<size_t>(depth) * 2, ' ');
    }
    out += close;
}

}  // namespace

bool ParseJson(const std::string& text, Json& json, std::string& error) {
    try {
        json = Json::parse(text);
        return true;
    } catch (const Json::exception& e) {  // syntax, bad UTF-8, or a number beyond the float range
        error = e.what();
        return false;
    }
}

void AppendJson(const Json& json, int depth, std::string& out) { Print(json, depth, out); }

std::string PrintJson(const Json& json) {
    std::string out;
    Print(json, 0, out);
    out += '\n';
    return out;
}

std::string ShortestFloatText(float value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
    std::string text(buffer, result.ptr);
    // "1" or "-0" would read back as an integer and lose a negative zero.
    if (text.find_first_of(".e") == std::string::npos) text += ".0";
    return text;
}

}  // namespace qevmodel
