#include "file_reports.h"
#include "model_json.h"

using qevmodel::Json;
using qevmodel::JsonStream;
using qevmodel::Latin1ToUtf8;

namespace {

Json MeshJson(const MeshBlockFacts& block) {
    Json geostates = Json::array();
    for (const GeostateFacts& geostate : block.geostates) geostates.push_back(geostate.triangles);
    Json json = Json::object();
    json["block"] = block.number;
    json["name"] = Latin1ToUtf8(block.name);
    json["name_stored"] = block.nameStored;
    json["vertices"] = block.vertices;
    json["triangles"] = block.triangles;
    json["geostates"] = std::move(geostates);
    return json;
}

Json ProblemJson(const FileFacts& facts, const Problem& problem) {
    Json json = Json::object();
    json["severity"] = problem.severity == Severity::kError ? "error" : "warning";
    json["code"] = problem.code;
    json["offset"] = problem.offset;
    json["message"] = Latin1ToUtf8(BlockPrefix(facts, problem.block)) + problem.message;
    return json;
}

}  // namespace

// Each mesh, bone and problem is one small document printed on its own: the
// stream holds no more than one of them at a time.
void WriteFileJson(const FileFacts& facts, JsonStream& stream) {
    stream.BeginObject(true);
    stream.Key("file").Value(facts.path);
    stream.Key("size").Value(facts.size);
    stream.Key("version").Value(facts.versionRead ? Json(facts.version) : Json());
    stream.Key("reads_as").Value(facts.versionRead ? Json(ReadsAsVersion(facts.version)) : Json());
    stream.Key("whole").Value(facts.whole);
    stream.Key("meshes").BeginArray(true);
    for (const MeshBlockFacts& block : facts.blocks) stream.Value(MeshJson(block));
    stream.End();
    stream.Key("bones").BeginArray(true);
    std::string text;  // a file may hold a million bones: no document per bone
    for (size_t b = 0; b < facts.bones.size(); ++b) {
        const BoneFacts& bone = facts.bones[b];
        text = "{\"name\": " + Json(Latin1ToUtf8(BoneName(facts, b))).dump() + ", \"same_name_as\": " +
               (bone.sameNameAs >= 0 ? std::to_string(bone.sameNameAs) : "null") + "}";
        stream.RawValue(text);
    }
    stream.End();
    stream.Key("errors").Value(facts.errors);
    stream.Key("warnings").Value(facts.warnings);
    stream.Key("problems").BeginArray(true);
    for (const Problem& problem : facts.problems) stream.Value(ProblemJson(facts, problem));
    stream.End();
    uint64_t leftOut = 0;
    for (const auto& left : facts.leftOut) leftOut += left.second;
    stream.Key("problems_not_listed").Value(leftOut);
    stream.End();
}

void WriteUnreadableFileJson(const std::string& path, const std::string& error, JsonStream& stream) {
    Json json = Json::object();
    json["file"] = path;
    json["error"] = error;
    stream.Value(json);
}
