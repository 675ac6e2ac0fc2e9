#include "file_facts.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "import_command.h"
#include "model.h"
#include "model_json.h"
#include "qev_format.h"

namespace {

std::string Plural(int64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string FloatText(float value) {
    char text[32];
    std::snprintf(text, sizeof(text), "%g", static_cast<double>(value));
    return text;
}

// Collects the facts while the importer reads; one per file.
class Collector {
public:
    Collector(FileFacts& facts, msModel& model) : facts_(facts), model_(model) {}

    static void OnRead(void* context, const QevPlace* place, const unsigned char* bytes, size_t size,
                       int32_t value) {
        static_cast<Collector*>(context)->Take(*place, bytes, size, value);
    }

    // The message is made only for a problem that is kept: a file of a
    // million bones of one name must not spell out a million sentences.
    template <typename MakeMessage>
    void AddProblem(Severity severity, const char* code, uint64_t offset, int32_t block, MakeMessage makeMessage) {
        (severity == Severity::kError ? facts_.errors : facts_.warnings)++;
        auto found = kept_.find(code);
        if (found == kept_.end()) found = kept_.emplace(code, 0).first;
        size_t& kept = found->second;
        if (kept == kKeptPerCode) {
            auto left = facts_.leftOut.find(code);
            if (left == facts_.leftOut.end()) left = facts_.leftOut.emplace(code, 0).first;
            left->second++;
            return;
        }
        ++kept;
        facts_.problems.push_back(Problem{severity, code, offset, block, makeMessage()});
    }

    // After the import: what the model holds decides the names and the bone references.
    void Finish(const QevReadOutcome& outcome);

private:
    void Take(const QevPlace& place, const unsigned char* bytes, size_t size, int32_t value);
    void TakeBone(const QevPlace& place, const unsigned char* bytes, size_t size, int32_t hostBone);
    void CheckWeights(const QevPlace& place, const unsigned char* record);
    void CheckCorners(const QevPlace& place, const unsigned char* record);
    void CheckStoredName(const QevPlace& place, const unsigned char* bytes, size_t size, size_t kept);
    void CheckBoneReferences(const QevReadOutcome& outcome);
    MeshBlockFacts& Block() { return facts_.blocks.back(); }

    FileFacts& facts_;
    msModel& model_;
    std::vector<int32_t> firstFileBoneOfHost_;
    std::map<std::string, size_t, std::less<>> kept_;
};

void Collector::Take(const QevPlace& place, const unsigned char* bytes, size_t size, int32_t value) {
    switch (place.kind) {
    case QEV_PLACE_VERSION:
        facts_.versionRead = true;
        facts_.version = value;
        break;
    case QEV_PLACE_MESH_COUNT:
        facts_.announcedMeshes = value;
        break;
    case QEV_PLACE_VERTEX_COUNT: {
        MeshBlockFacts block;
        block.number = place.block;
        block.announcedVertices = value;
        block.verticesStart = place.start + 4;
        block.hostMesh = msModel_GetMeshCount(&model_) - 1;
        facts_.blocks.push_back(std::move(block));
        break;
    }
    case QEV_PLACE_VERTEX:
        Block().vertices++;
        CheckWeights(place, bytes);
        break;
    case QEV_PLACE_TRIANGLE_COUNT:
        if (place.geostate < 0) Block().announcedTriangles = value;
        else Block().geostates.push_back(GeostateFacts{value, 0});
        break;
    case QEV_PLACE_TRIANGLE:
        if (place.geostate < 0) Block().triangles++;
        else Block().geostates.back().triangles++;
        CheckCorners(place, bytes);
        break;
    case QEV_PLACE_GEOSTATE_COUNT:
        Block().announcedGeostates = value;
        break;
    case QEV_PLACE_MESH_NAME:
        Block().nameStored = true;
        CheckStoredName(place, bytes, size, qev::kMaxReadMeshName);
        break;
    case QEV_PLACE_BONE_COUNT:
        facts_.announcedBones = value;
        break;
    case QEV_PLACE_BONE:
        TakeBone(place, bytes, size, value);
        break;
    }
}

// Bones bound to one host bone share a name as the host sees it: the first
// file bone bound to it is the one the others are reported against.
void Collector::TakeBone(const QevPlace& place, const unsigned char* bytes, size_t size, int32_t hostBone) {
    if (hostBone < 0 || static_cast<size_t>(hostBone) >= model_.bones.size()) return;  // the importer gives none such
    const size_t host = static_cast<size_t>(hostBone);
    if (host >= firstFileBoneOfHost_.size()) firstFileBoneOfHost_.resize(host + 1, -1);
    const int32_t first = firstFileBoneOfHost_[host];
    if (first < 0) firstFileBoneOfHost_[host] = place.item;
    facts_.bones.push_back(BoneFacts{hostBone, first});
    CheckStoredName(place, bytes, size, qev::kMaxBoneName);
    if (first >= 0)
        AddProblem(Severity::kWarning, "duplicate_bone_name", place.start, -1, [&] {
            return "bone " + std::to_string(place.item) + " " + QuotedName(model_.bones[host].name) +
                   " has the same name as bone " + std::to_string(first) + ": the importer binds both to one bone";
        });
}

// Weights are fractions of one: each within 0..1 and all four together not
// above 1 by more than the rounding of four floats.
void Collector::CheckWeights(const QevPlace& place, const unsigned char* record) {
    const size_t at = qev::VertexBoneWeightsOffset(qev::HasTagVal(facts_.version));
    double sum = 0;
    for (int slot = 0; slot < 4; ++slot) {
        const float weight = qev::GetF32(record + at + 4 * slot);
        if (!(weight >= 0.0f && weight <= 1.0f)) {
            AddProblem(Severity::kWarning, "weights", place.start + at + 4 * slot, place.block, [&] {
                return "vertex " + std::to_string(place.item) + " weight " + std::to_string(slot) + " is " +
                       FloatText(weight) + ", outside 0 to 1";
            });
            return;
        }
        sum += weight;
    }
    if (sum > 1.0 + 1e-6)
        AddProblem(Severity::kWarning, "weights", place.start + at, place.block, [&] {
            return "vertex " + std::to_string(place.item) + " weights sum to " + FloatText(static_cast<float>(sum));
        });
}

// Corners name vertices of their own block; geostate triangles too.
void Collector::CheckCorners(const QevPlace& place, const unsigned char* record) {
    const int32_t vertices = Block().vertices;
    for (int corner = 0; corner < 3; ++corner) {
        const size_t at = corner * qev::kCornerRecordSize + qev::kCornerVertexIndexOffset;
        const uint16_t index = qev::GetU16(record + at);
        if (index < vertices) continue;
        std::string where = place.geostate >= 0 ? "geostate " + std::to_string(place.geostate) + " " : "";
        AddProblem(Severity::kError, "corner_past_vertices", place.start + at, place.block, [&] {
            return where + "triangle " + std::to_string(place.item) + " corner " + std::to_string(corner) +
                   " names vertex " + std::to_string(index) + " of " + std::to_string(vertices);
        });
    }
}

void Collector::CheckStoredName(const QevPlace& place, const unsigned char* bytes, size_t size, size_t kept) {
    auto subject = [&] { return place.kind == QEV_PLACE_BONE ? "bone " + std::to_string(place.item) + ": " : ""; };
    const void* nul = std::memchr(bytes, 0, size);
    if (nul) {
        const size_t before = static_cast<const unsigned char*>(nul) - bytes;
        AddProblem(Severity::kWarning, "name_with_nul", place.start + 1 + before, place.block, [&] {
            return subject() + "the name holds a NUL byte at position " + std::to_string(before) +
                   ": the host sees only " + QuotedName(std::string(reinterpret_cast<const char*>(bytes), before));
        });
    }
    if (size > kept)
        AddProblem(Severity::kWarning, "name_cut", place.start + 1 + kept, place.block, [&] {
            return subject() + "the name of " + std::to_string(size) + " bytes is cut to its first " +
                   std::to_string(kept) + " on import";
        });
}

// References are checked on the model: after the merge a reference that named
// a file bone holds that bone's host index, and any other keeps its value, so
// in a model that had no bones a value past the bones read is one the file
// gave. -1 is "no bone". In a file cut inside its bone list the announced
// count is the measure; cut before it, there is none. One report per vertex.
void Collector::CheckBoneReferences(const QevReadOutcome& outcome) {
    const bool bonesCut = !outcome.readWhole && outcome.stopPlace.kind == QEV_PLACE_BONE;
    if (!outcome.readWhole && !bonesCut) return;
    const int64_t bones = bonesCut ? facts_.announcedBones : static_cast<int64_t>(facts_.bones.size());
    const std::string has = bonesCut ? "; the file announces " : "; the file has ";
    const bool hasTag = qev::HasTagVal(facts_.version);
    const size_t recordSize = qev::VertexRecordSize(facts_.version);
    for (const MeshBlockFacts& block : facts_.blocks) {
        const msMesh& mesh = model_.meshes[static_cast<size_t>(block.hostMesh)];
        for (int32_t v = 0; v < block.vertices; ++v) {
            const msVertex& vertex = mesh.vertices[static_cast<size_t>(v)];
            const int32_t references[4] = {vertex.boneIndex, vertex.ex.boneIndices[0], vertex.ex.boneIndices[1],
                                           vertex.ex.boneIndices[2]};
            for (int slot = 0; slot < 4; ++slot) {
                const int32_t reference = references[slot];
                if (reference >= -1 && reference < bones) continue;
                const uint64_t offset = block.verticesStart + static_cast<uint64_t>(v) * recordSize +
                                        qev::VertexBoneAssignmentsOffset(hasTag) + 4 * slot;
                AddProblem(Severity::kError, "reference_past_bones", offset, block.number, [&] {
                    return "vertex " + std::to_string(v) + " refers to bone " + std::to_string(reference) + has +
                           Plural(bones, "bone", "bones");
                });
                break;
            }
        }
    }
}

std::string PlaceText(const QevPlace& place, uint64_t failedReadStart, int strLen) {
    const std::string block = "mesh block " + std::to_string(place.block) + ", ";
    const std::string geostate = place.geostate >= 0 ? "geostate " + std::to_string(place.geostate) + ", " : "";
    const std::string field = " (the field starts at byte " + std::to_string(place.start) + ")";
    const std::string record = " (the record starts at byte " + std::to_string(place.start) + ")";
    const std::string ofCount = " " + std::to_string(place.item) + " of " + std::to_string(place.count);
    switch (place.kind) {
    case QEV_PLACE_VERSION:
        return "the version" + field;
    case QEV_PLACE_MESH_COUNT:
        return "the mesh block count" + field;
    case QEV_PLACE_VERTEX_COUNT:
        return block + "its vertex count" + field;
    case QEV_PLACE_VERTEX:
        return block + "vertex" + ofCount + record;
    case QEV_PLACE_TRIANGLE_COUNT:
        return block + geostate + "its triangle count" + field;
    case QEV_PLACE_TRIANGLE:
        return block + geostate + "triangle" + ofCount + record;
    case QEV_PLACE_GEOSTATE_COUNT:
        return block + "its geostate count" + field;
    case QEV_PLACE_MESH_NAME:
        if (failedReadStart == place.start) return block + "its name length" + field;
        return block + "its name of " + Plural(strLen, "byte", "bytes") + " (the name starts at byte " +
               std::to_string(place.start + 1) + ")";
    case QEV_PLACE_BONE_COUNT:
        return "the bone count" + field;
    case QEV_PLACE_BONE: {
        const std::string bone = "bone" + ofCount + ", ";
        if (failedReadStart == place.start) return bone + "its name length" + record;
        if (strLen > 0 && failedReadStart == place.start + 1)
            return bone + "its name of " + Plural(strLen, "byte", "bytes") + record;
        return bone + "its position and rotation" + record;
    }
    }
    return "an unknown place";
}

// The strLen byte of a name whose bytes the file cut, for the message.
int StoredLengthAt(const std::string& path, uint64_t offset) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return 0;
    int length = 0;
    if (std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0) {
        const int byte = std::fgetc(file);
        if (byte != EOF) length = byte;
    }
    std::fclose(file);
    return length;
}

void Collector::Finish(const QevReadOutcome& outcome) {
    for (MeshBlockFacts& block : facts_.blocks) block.name = model_.meshes[static_cast<size_t>(block.hostMesh)].name;

    const bool stoppedInBlock = !outcome.readWhole && outcome.stopPlace.block >= 0;
    facts_.whole = outcome.readWhole;
    facts_.wholeBlocks = stoppedInBlock ? outcome.stopPlace.block : static_cast<int32_t>(facts_.blocks.size());

    CheckBoneReferences(outcome);

    const std::string readWhole = "; read whole: " + Plural(facts_.wholeBlocks, "mesh block", "mesh blocks") + ", " +
                                  Plural(static_cast<int64_t>(facts_.bones.size()), "bone", "bones");
    if (!outcome.readWhole) {
        const QevPlace& place = outcome.stopPlace;
        int strLen = 0;
        if ((place.kind == QEV_PLACE_MESH_NAME || place.kind == QEV_PLACE_BONE) && outcome.failedReadStart > place.start)
            strLen = StoredLengthAt(facts_.path, place.start);
        const std::string where = PlaceText(place, outcome.failedReadStart, strLen);
        if (outcome.stoppedEarly)
            AddProblem(Severity::kError, "not_read", outcome.endOffset, -1, [&] {
                return "not read: the model refused an item or memory ran out at byte " +
                       std::to_string(outcome.endOffset) + " in " + where + readWhole;
            });
        else
            AddProblem(Severity::kError, "damaged", outcome.endOffset, -1, [&] {
                return "damaged: file ends at byte " + std::to_string(outcome.endOffset) + " inside " + where +
                       readWhole;
            });
    } else if (outcome.endOffset < facts_.size) {
        AddProblem(Severity::kError, "trailing_data", outcome.endOffset, -1, [&] {
            return "trailing data: " + Plural(static_cast<int64_t>(facts_.size - outcome.endOffset), "byte", "bytes") +
                   " after the bone list, from byte " + std::to_string(outcome.endOffset);
        });
    }
    // In file order: references are found after the read, the rest during it.
    std::stable_sort(facts_.problems.begin(), facts_.problems.end(),
                     [](const Problem& a, const Problem& b) { return a.offset < b.offset; });
}

}  // namespace

int32_t ReadsAsVersion(int32_t version) { return version < 2 ? 1 : version > 4 ? 4 : version; }

bool ReadFileFacts(const std::string& path, FileFacts& facts, std::string& error) {
    facts = FileFacts();
    facts.path = path;
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = "cannot read " + path + ": not a file";
        return false;
    }
    facts.size = static_cast<uint64_t>(info.st_size);

    auto model = std::make_shared<msModel>();
    facts.model = model;
    Collector collector(facts, *model);
    const QevReadObserver observer = {&collector, Collector::OnRead};
    QevReadOutcome outcome = {};
    outcome.endOffset = UINT64_MAX;  // stays so when the file could not be opened
    // -1 after reading began means the model refused an item: the facts hold
    // up to there and the stop is reported as a problem.
    if (ImportQevFileObserved(model.get(), path.c_str(), &observer, &outcome) != 0 &&
        outcome.endOffset == UINT64_MAX) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    collector.Finish(outcome);
    return true;
}

const std::string& BoneName(const FileFacts& facts, size_t b) {
    return facts.model->bones[static_cast<size_t>(facts.bones[b].hostBone)].name;
}

std::string BlockPrefix(const FileFacts& facts, int32_t block) {
    if (block < 0) return "";
    const std::string head = "mesh block " + std::to_string(block);
    const MeshBlockFacts& facts_block = facts.blocks[static_cast<size_t>(block)];
    if (facts_block.nameStored && !facts_block.name.empty()) return head + " (" + QuotedName(facts_block.name) + "): ";
    return head + ": ";
}

std::string QuotedName(const std::string& bytes) {
    std::string text = "\"";
    for (unsigned char b : bytes) {
        if (b < 0x20 || b == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\x%02X", b);
            text += escaped;
        } else if (b == '"' || b == '\\') {
            text += '\\';
            text += static_cast<char>(b);
        } else {
            text += qevmodel::Latin1ToUtf8(std::string(1, static_cast<char>(b)));
        }
    }
    return text + "\"";
}
