// The model JSON as qevhost reads and prints it: exact floats, byte names,
// extras of either sign, defaults, and schema errors that name the field.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "model_json.h"

namespace {

using qevmodel::Json;

msModel ModelFromText(const std::string& text) {
    Json json;
    std::string error;
    msModel model;
    EXPECT_TRUE(qevmodel::ParseJson(text, json, error)) << error;
    EXPECT_TRUE(qevmodel::AddModelFromJson(json, model, error)) << error;
    return model;
}

std::string SchemaErrorOf(const std::string& text) {
    Json json;
    std::string error;
    EXPECT_TRUE(qevmodel::ParseJson(text, json, error)) << error;
    msModel model;
    qevmodel::AddMesh(model, "before");
    if (qevmodel::AddModelFromJson(json, model, error)) return "(accepted)";
    EXPECT_EQ(model.meshes.size(), 1u) << "a rejected model must leave the target as it was";
    return error;
}

uint32_t BitsOf(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
}

float BonePositionXFrom(const std::string& number) {
    const msModel model = ModelFromText(R"({"bones": [{"position": [)" + number + R"(, 0, 0]}]})");
    return model.bones.empty() ? 0.0f : model.bones[0].position[0];
}

struct FloatCase {
    float value;
    const char* text;
};

// Shortest text that reads back to the same float; ".0" keeps integral values
// (and negative zero) floats.
const FloatCase kFloatCases[] = {
    {0.1f, "0.1"},
    {0.3f, "0.3"},
    {1.0f / 3.0f, "0.33333334"},
    {1.0f, "1.0"},
    {-2.0f, "-2.0"},
    {-0.0f, "-0.0"},
    {0.0f, "0.0"},
    {16777216.0f, "16777216.0"},
    {1e20f, "1e+20"},
    {std::numeric_limits<float>::max(), "3.4028235e+38"},
    {std::numeric_limits<float>::denorm_min(), "1e-45"},
    {1.17549435e-38f, "1.1754944e-38"},
};

TEST(ModelJsonFloats, PrintShortestAndReadBackBitForBit) {
    for (const FloatCase& c : kFloatCases) {
        EXPECT_EQ(qevmodel::ShortestFloatText(c.value), c.text);
        EXPECT_EQ(BitsOf(BonePositionXFrom(c.text)), BitsOf(c.value)) << c.text;
    }
}

TEST(ModelJsonFloats, NonFiniteValuesTravelAsStrings) {
    msModel model;
    msBone& bone = qevmodel::AddBone(model, "b");
    bone.position[0] = std::numeric_limits<float>::quiet_NaN();
    bone.position[1] = std::numeric_limits<float>::infinity();
    bone.position[2] = -std::numeric_limits<float>::infinity();
    const std::string text = qevmodel::PrintJson(qevmodel::ModelToJson(model));
    EXPECT_NE(text.find(R"("position": ["nan", "inf", "-inf"])"), std::string::npos) << text;

    const msModel back = ModelFromText(text);
    ASSERT_EQ(back.bones.size(), 1u);
    EXPECT_TRUE(std::isnan(back.bones[0].position[0]));
    EXPECT_EQ(back.bones[0].position[1], std::numeric_limits<float>::infinity());
    EXPECT_EQ(back.bones[0].position[2], -std::numeric_limits<float>::infinity());
}

TEST(ModelJsonFloats, ANumberBeyondTheFloatRangeIsRefused) {
    qevmodel::Json json;
    std::string error;
    EXPECT_FALSE(qevmodel::ParseJson(R"({"bones": [{"position": [1e39, 0, 0]}]})", json, error));
    EXPECT_NE(error.find("number overflow parsing '1e39'"), std::string::npos) << error;
}

TEST(ModelJsonFloats, IntegersAreTakenAsFloats) {
    EXPECT_EQ(BonePositionXFrom("3"), 3.0f);
    EXPECT_EQ(BonePositionXFrom("-3"), -3.0f);
    EXPECT_EQ(BonePositionXFrom("16777217"), 16777216.0f);  // rounds to the nearest float
}

TEST(ModelJsonNames, EveryByteAboveNulSurvivesAsLatin1) {
    std::string allBytes;
    for (int b = 1; b <= 0xFF; ++b) allBytes += static_cast<char>(b);
    msModel model;
    qevmodel::AddMesh(model, allBytes);
    qevmodel::AddBone(model, "\xE9\x80\xFF");
    const std::string text = qevmodel::PrintJson(qevmodel::ModelToJson(model));
    // U+00E9 U+0080 U+00FF in UTF-8.
    EXPECT_NE(text.find("\"name\": \"\xC3\xA9\xC2\x80\xC3\xBF\""), std::string::npos) << text;

    const msModel back = ModelFromText(text);
    EXPECT_TRUE(qevmodel::SameContent(back, model));
    EXPECT_EQ(ModelFromText(R"({"bones": [{"name": "caf\u00e9"}]})").bones.at(0).name, "caf\xE9");
}

struct ExtraCase {
    const char* input;
    uint32_t stored;
    int32_t printed;
};

const ExtraCase kExtraCases[] = {
    {"0", 0u, 0},
    {"7", 7u, 7},
    {"-1", 0xFFFFFFFFu, -1},
    {"4294967295", 0xFFFFFFFFu, -1},
    {"2147483647", 0x7FFFFFFFu, 2147483647},
    {"2147483648", 0x80000000u, INT32_MIN},
    {"-2147483648", 0x80000000u, INT32_MIN},
};

TEST(ModelJsonExtra, SignedOrUnsignedInputKeepsTheLow32BitsAndPrintsSigned) {
    for (const ExtraCase& c : kExtraCases) {
        const msModel model =
            ModelFromText(std::string(R"({"meshes": [{"vertices": [{"extra": [)") + c.input + ", 0]}]}]}");
        ASSERT_EQ(model.meshes.size(), 1u) << c.input;
        const msVertex& vertex = model.meshes[0].vertices.at(0);
        EXPECT_EQ(vertex.ex.extra[0], c.stored) << c.input;
        Json printed = qevmodel::ModelToJson(model);
        EXPECT_EQ(printed["meshes"][0]["vertices"][0]["extra"][0].get<int64_t>(), c.printed) << c.input;
    }
}

TEST(ModelJsonDefaults, MissingFieldsTakeTheModelLibrarysDefaults) {
    const msModel model = ModelFromText(R"({"meshes": [{}, {"vertices": [{}], "triangles": [{}]}], "bones": [{}]})");
    msModel expected;
    msModel_AddMesh(&expected);
    msMesh* mesh = msModel_GetMeshAt(&expected, msModel_AddMesh(&expected));
    msMesh_AddVertex(mesh);
    msMesh_AddTriangle(mesh);
    msModel_AddBone(&expected);
    EXPECT_TRUE(qevmodel::SameContent(model, expected));
    EXPECT_EQ(model.meshes.at(1).name, "mesh1");
    EXPECT_EQ(model.meshes.at(1).vertices.at(0).boneIndex, -1);

    EXPECT_TRUE(ModelFromText("{}").meshes.empty());
}

struct SchemaCase {
    const char* json;
    const char* error;
};

const SchemaCase kSchemaCases[] = {
    {"[]", "model: expected an object"},
    {R"({"mesh": []})", "mesh: unknown field"},
    {R"({"meshes": {}})", "meshes: expected a list"},
    {R"({"bones": [3]})", "bones[0]: expected an object"},
    {R"({"meshes": [{"colour": 1}]})", "meshes[0].colour: unknown field"},
    {R"({"meshes": [{"name": 5}]})", "meshes[0].name: expected a string"},
    {R"({"meshes": [{"name": "\u0100"}]})", "meshes[0].name: names hold bytes: only code points U+0001 to U+00FF"},
    {R"({"meshes": [{"name": "a\u0000b"}]})", "meshes[0].name: names hold bytes: only code points U+0001 to U+00FF"},
    {R"({"meshes": [{"vertices": [{}, {}, {"position": [1, 2]}]}]})",
     "meshes[0].vertices[2].position: expected 3 numbers"},
    {R"({"meshes": [{"vertices": [{"position": [1, "x", 2]}]}]})",
     R"(meshes[0].vertices[0].position: expected 3 numbers (finite within the float range, or "nan", "inf", "-inf"))"},
    {R"({"meshes": [{"vertices": [{"bones": [0, 0, 0]}]}]})",
     "meshes[0].vertices[0].bones: expected 4 integers from -2147483648 to 2147483647"},
    {R"({"meshes": [{"vertices": [{"bones": [2147483648, 0, 0, 0]}]}]})",
     "meshes[0].vertices[0].bones: expected 4 integers from -2147483648 to 2147483647"},
    {R"({"meshes": [{"vertices": [{"weights": [1.5, 0, 0]}]}]})",
     "meshes[0].vertices[0].weights: expected 3 integers from -2147483648 to 2147483647"},
    {R"({"meshes": [{"vertices": [{"extra": [4294967296, 0]}]}]})",
     "meshes[0].vertices[0].extra: expected 2 integers from -2147483648 to 4294967295"},
    {R"({"meshes": [{"vertices": [{"extra": [-2147483649, 0]}]}]})",
     "meshes[0].vertices[0].extra: expected 2 integers from -2147483648 to 4294967295"},
    {R"({"meshes": [{"triangles": [{"vertices": [0, 65536, 0]}]}]})",
     "meshes[0].triangles[0].vertices: expected 3 integers from 0 to 65535"},
    {R"({"meshes": [{"triangles": [{"vertices": [-1, 0, 0]}]}]})",
     "meshes[0].triangles[0].vertices: expected 3 integers from 0 to 65535"},
    {R"({"meshes": [{"triangles": [{"normals": [[0, 0, 1], [0, 0, 1]]}]}]})",
     "meshes[0].triangles[0].normals: expected 3 corners"},
    {R"({"meshes": [{"triangles": [{"uvs": [[0, 0], [0, 0], [0, 0, 0]]}]}]})",
     "meshes[0].triangles[0].uvs[2]: expected 2 numbers"},
    {R"({"bones": [{}, {"rotation": "x"}]})", "bones[1].rotation: expected 3 numbers"},
};

TEST(ModelJsonSchema, AWrongFieldIsNamedByItsPathAndNothingIsAdded) {
    for (const SchemaCase& c : kSchemaCases) EXPECT_EQ(SchemaErrorOf(c.json), c.error) << c.json;
}

TEST(ModelJsonPrint, OneLinePerVertexAndTriangleAndEveryFieldBackExactly) {
    msModel model;
    msMesh& mesh = qevmodel::AddMesh(model, "body");
    msVertex& vertex = mesh.vertices.emplace_back();
    vertex.position[1] = 1.5f;
    vertex.position[2] = -2.0f;
    vertex.boneIndex = 0;
    vertex.ex.boneIndices[0] = 1;
    vertex.ex.boneWeights[0] = 60;
    vertex.ex.boneWeights[1] = 40;
    vertex.ex.extra[0] = 7;
    msTriangle& triangle = mesh.triangles.emplace_back();
    triangle.vertexIndices[2] = 65535;
    triangle.ex.normals[0][2] = 1.0f;
    triangle.ex.texCoords[1][0] = 0.25f;
    msBone& bone = qevmodel::AddBone(model, "root");
    bone.rotation[2] = 0.1f;

    const std::string expected = R"({
  "meshes": [
    {
      "name": "body",
      "vertices": [
        {"position": [0.0, 1.5, -2.0], "bones": [0, 1, -1, -1], "weights": [60, 40, 0], "extra": [7, 0]}
      ],
      "triangles": [
        {"vertices": [0, 0, 65535], "normals": [[0.0, 0.0, 1.0], [0.0, 0.0, 0.0], [0.0, 0.0, 0.0]], "uvs": [[0.0, 0.0], [0.25, 0.0], [0.0, 0.0]]}
      ]
    }
  ],
  "bones": [
    {"name": "root", "position": [0.0, 0.0, 0.0], "rotation": [0.0, 0.0, 0.1]}
  ]
}
)";
    const std::string text = qevmodel::PrintJson(qevmodel::ModelToJson(model));
    EXPECT_EQ(text, expected);
    EXPECT_TRUE(qevmodel::SameContent(ModelFromText(text), model));
}

TEST(ModelJsonPrint, SummaryGivesNamesAndCounts) {
    msModel model;
    msMesh& mesh = qevmodel::AddMesh(model, "body");
    mesh.vertices.resize(3);
    mesh.triangles.resize(1);
    qevmodel::AddBone(model, "root");
    EXPECT_EQ(qevmodel::PrintJson(qevmodel::ModelSummaryToJson(model)),
              "{\n  \"meshes\": [\n    {\"name\": \"body\", \"vertices\": 3, \"triangles\": 1}\n  ],\n"
              "  \"bones\": [\"root\"]\n}\n");
}


// The streamed report must print the very text of the document it replaces,
// including the one-line forms PrintJson chooses for empty and flat parts.
std::string Streamed(const msModel& model, bool summary) {
    char* text = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    qevmodel::JsonStream stream(out);
    stream.BeginObject(true);
    stream.Key("result").Value(0);
    stream.Key("model");
    if (summary) qevmodel::WriteModelSummaryJson(stream, model);
    else qevmodel::WriteModelJson(stream, model);
    stream.End();
    stream.Finish();
    std::fclose(out);
    std::string result(text, size);
    std::free(text);
    return result;
}

std::string Printed(const msModel& model, bool summary) {
    Json report = Json::object();
    report["result"] = 0;
    report["model"] = summary ? qevmodel::ModelSummaryToJson(model) : qevmodel::ModelToJson(model);
    return qevmodel::PrintJson(report);
}

TEST(ModelJsonStream, PrintsWhatThePrintedDocumentPrints) {
    const struct {
        const char* label;
        std::string model;
    } cases[] = {
        {"empty", "{}"},
        {"bones only", R"({"bones": [{"name": "a"}, {"name": "b\u00e9"}]})"},
        {"empty meshes", R"({"meshes": [{"name": "x"}, {}]})"},
        {"mesh with triangles only", R"({"meshes": [{"triangles": [{"vertices": [1, 2, 3]}]}]})"},
        {"mixed", R"({"meshes": [{"name": "a", "vertices": [{"position": [1.5, "nan", -0.0]}]}, {"name": "b"}],
                      "bones": [{"name": "r", "rotation": [0.1, 0, "inf"]}]})"},
    };
    for (const auto& c : cases) {
        const msModel model = ModelFromText(c.model);
        for (bool summary : {false, true})
            EXPECT_EQ(Streamed(model, summary), Printed(model, summary)) << c.label << (summary ? " (summary)" : "");
    }
}
}  // namespace
