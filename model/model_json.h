// The model JSON: an in-memory model as qevhost and qev read and print it.
//
//   {"meshes": [{"name": "body",
//                "vertices": [{"position": [x, y, z], "bones": [own, slot0, slot1, slot2],
//                              "weights": [w0, w1, w2], "extra": [e0, e1]}],
//                "triangles": [{"vertices": [a, b, c], "normals": [[x, y, z] * 3],
//                               "uvs": [[u, v] * 3]}]}],
//    "bones": [{"name": "root", "position": [x, y, z], "rotation": [x, y, z]}]}
//
// Names are byte strings carried as Latin-1 (byte b is code point U+00b), so
// every byte but NUL survives. Non-finite floats are the strings "nan", "inf"
// and "-inf". A missing field takes the model library's default for a new item.
#ifndef QEV_MODEL_JSON_H
#define QEV_MODEL_JSON_H

#include <string>

#include "json_stream.h"
#include "json_text.h"
#include "model.h"

namespace qevmodel {

Json ModelToJson(const msModel& model);

// Mesh names with vertex and triangle counts, and bone names.
Json ModelSummaryToJson(const msModel& model);

// The same two documents written to a stream item by item, as the next value
// of the stream: the text is what PrintJson gives for the documents above.
void WriteModelJson(JsonStream& stream, const msModel& model);
void WriteModelSummaryJson(JsonStream& stream, const msModel& model);

// Adds the meshes and bones json describes to model. On a schema error returns
// false with "<field path>: <what is wrong>" and leaves model as it was.
bool AddModelFromJson(const Json& json, msModel& model, std::string& error);

// Reads and parses a model JSON file into model (normally empty). On failure
// returns false with a one-line reason that names the file.
bool ReadModelFile(const std::string& path, msModel& model, std::string& error);

// Latin-1 bytes <-> UTF-8 text, as names travel in the model JSON.
std::string Latin1ToUtf8(const std::string& bytes);
// Returns false when the text holds a code point above U+00FF or U+0000.
bool Utf8ToLatin1(const std::string& text, std::string& bytes);

}  // namespace qevmodel

#endif
