// The JSON type of the model JSON (qevhost and qev read and print it), and its text form.
//
// Numbers with a fraction are held as 32-bit floats, because every float the
// model carries is one: reading "0.1" then yields exactly the float nearest to
// 0.1 (parsed with strtof), never a double rounded a second time.
#ifndef QEV_MODEL_JSON_TEXT_H
#define QEV_MODEL_JSON_TEXT_H

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace qevmodel {

using Json = nlohmann::basic_json<nlohmann::ordered_map, std::vector, std::string, bool, std::int64_t,
                                  std::uint64_t, float>;

// Parses text; on failure returns false with a one-line reason.
bool ParseJson(const std::string& text, Json& json, std::string& error);

// Indented text, ending in a newline. A float prints in the shortest form that
// reads back to the same float (with ".0" when that form has no fraction or
// exponent, so -0.0 stays negative and the value stays a float). Arrays and
// objects without objects inside stay on one line.
std::string PrintJson(const Json& json);

// Appends json as PrintJson prints it when it stands at the given depth of
// nesting (its inner lines indented one step further), without a newline.
void AppendJson(const Json& json, int depth, std::string& out);

// The shortest text of a float as PrintJson writes it, without the non-finite
// cases (callers print those as strings).
std::string ShortestFloatText(float value);

}  // namespace qevmodel

#endif
