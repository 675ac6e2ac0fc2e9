// The parts of qev view that keep the page well formed and its panel right:
// filling the template, the header's mesh and bone lists from glTF, and the
// glb container made from a .gltf.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "byte_encoding.h"
#include "glb_container.h"
#include "viewer_assets.h"
#include "viewer_header.h"
#include "viewer_page.h"

using nlohmann::json;

namespace {

// The text of the element that starts with `opening`, up to its end tag.
std::string ElementText(const std::string& page, const std::string& opening) {
    const size_t start = page.find(opening);
    if (start == std::string::npos) return "";
    const size_t from = start + opening.size();
    return page.substr(from, page.find("</script>", from) - from);
}

size_t Occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

}  // namespace

TEST(ViewerPage, NamesThatLookLikeMarkupOrPlacesStayText) {
    if (!kViewerAvailable) GTEST_SKIP() << "built without the viewer page";
    const json header = {{"file", "</script><b>@QEV_MODEL_BASE64@.qev"}, {"meshes", json::array()}};
    const std::string page = MakeViewerPage(header, {0x00, 0x01, 0x02, 0xFF});

    EXPECT_EQ(Occurrences(page, "</script"), 3u);  // header, model, script: nothing closed early
    EXPECT_NE(page.find("<title>&lt;/script&gt;&lt;b&gt;@QEV_MODEL_BASE64@.qev</title>"), std::string::npos);
    EXPECT_EQ(json::parse(ElementText(page, "<script type=\"application/json\" id=\"qev-header\">")), header);
    EXPECT_EQ(ElementText(page, "<script type=\"application/octet-stream\" id=\"qev-model\">"), "AAEC/w==");
    EXPECT_EQ(Occurrences(page, "@QEV_VIEWER_SCRIPT@"), 0u);
}

TEST(ViewerHeader, GroupsGeostatesUnderTheirBlockAndSkipsTheRootJoint) {
    // Laid out as qev's converter writes a model: block 1 has geostates 1 and 0
    // (listed out of order), and a geostate of a block that is not there.
    const json gltf = json::parse(R"({
      "accessors": [{"count": 9}, {"count": 30}],
      "meshes": [
        {"name": "body", "extras": {"qev": {"kind": "block", "block": 0, "vertices": 4, "triangles": 2}}},
        {"name": "arm", "extras": {"qev": {"kind": "block", "block": 1, "vertices": 5, "triangles": 3}}},
        {"name": "arm geostate 1", "extras": {"qev": {"kind": "geostate", "block": 1, "geostate": 1, "triangles": 1}}},
        {"name": "arm geostate 0", "extras": {"qev": {"kind": "geostate", "block": 1, "geostate": 0, "triangles": 2}}},
        {"name": "lost geostate 0", "extras": {"qev": {"kind": "geostate", "block": 7, "geostate": 0, "triangles": 4}}},
        {"name": "plain", "primitives": [{"attributes": {"POSITION": 0}, "indices": 1}]}
      ],
      "nodes": [{"name": "hip"}, {"name": "hand"}, {"name": "qev_root", "children": [0, 1]}],
      "skins": [{"joints": [2, 0, 1], "skeleton": 2}]
    })");
    json header;
    DescribeGltfForViewer(gltf, header);
    EXPECT_EQ(header["meshes"], json::parse(R"([
      {"name": "body", "mesh": 0, "vertices": 4, "triangles": 2, "geostates": []},
      {"name": "arm", "mesh": 1, "vertices": 5, "triangles": 3, "geostates": [
        {"name": "arm geostate 0", "mesh": 3, "geostate": 0, "triangles": 2},
        {"name": "arm geostate 1", "mesh": 2, "geostate": 1, "triangles": 1}]},
      {"name": "plain", "mesh": 5, "vertices": 9, "triangles": 10, "geostates": []},
      {"name": "lost geostate 0", "mesh": 4, "vertices": 0, "triangles": 4, "geostates": []}
    ])"));
    EXPECT_EQ(header["bones"], json::parse(R"([
      {"name": "hip", "node": 0, "joint": 1}, {"name": "hand", "node": 1, "joint": 2}])"));
}

TEST(ViewerHeader, BonesWithoutASkinAreTheRootsChildren) {
    const json gltf = json::parse(R"({"nodes": [{"name": "qev_root", "children": [1]}, {"name": "only"}]})");
    json header;
    DescribeGltfForViewer(gltf, header);
    EXPECT_EQ(header["meshes"], json::array());
    EXPECT_EQ(header["bones"], json::parse(R"([{"name": "only", "node": 1, "joint": -1}])"));
}

TEST(GltfToGlb, JoinsDataBuffersIntoOneAlignedBinaryChunk) {
    const std::string gltf = R"({"asset": {"version": "2.0"},
      "buffers": [{"uri": "data:application/octet-stream;base64,AQID", "byteLength": 3},
                  {"uri": "data:application/octet-stream;base64,BAU=", "byteLength": 2}],
      "bufferViews": [{"buffer": 0, "byteLength": 3}, {"buffer": 1, "byteOffset": 1, "byteLength": 1}]})";
    std::vector<unsigned char> glb;
    std::string error;
    ASSERT_TRUE(GltfToGlb(gltf, ".", glb, error)) << error;

    json parsed;
    ASSERT_TRUE(ReadGlbJson(glb, parsed, error)) << error;
    EXPECT_EQ(parsed["buffers"], json::parse(R"([{"byteLength": 8}])"));
    EXPECT_EQ(parsed["bufferViews"][1], json::parse(R"({"buffer": 0, "byteOffset": 5, "byteLength": 1})"));
    // Header: magic, version 2, total length; the last chunk is BIN with the joined buffers.
    const testsupport::Bytes head(glb.begin(), glb.begin() + 8);
    EXPECT_EQ(head, testsupport::FromHex("67 6C 54 46 02 00 00 00"));
    EXPECT_EQ(glb[8] | glb[9] << 8 | glb[10] << 16, int(glb.size()));
    const testsupport::Bytes tail(glb.end() - 16, glb.end());
    EXPECT_EQ(testsupport::ToHex(tail), testsupport::ToHex(testsupport::FromHex(
                                            "08 00 00 00 42 49 4E 00 01 02 03 00 04 05 00 00")));
}

TEST(GltfToGlb, RefusesWhatItCannotRead) {
    const struct {
        const char* gltf;
        const char* reason;
    } cases[] = {
        {"{not json", "does not parse"},
        {R"({"buffers": [{"byteLength": 4}]})", "has no uri"},
        {R"({"buffers": [{"uri": "data:,AAAA"}]})", "not a base64 data URI"},
        {R"({"buffers": [{"uri": "no-such-file.bin"}]})", "cannot open no-such-file.bin"},
        {R"({"bufferViews": [{"buffer": 3}]})", "buffer 3"},
    };
    for (const auto& c : cases) {
        std::vector<unsigned char> glb;
        std::string error;
        EXPECT_FALSE(GltfToGlb(c.gltf, "/nonexistent", glb, error)) << c.gltf;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.gltf << " -> " << error;
    }
}

TEST(ReadGlbJson, RefusesDamagedContainers) {
    const struct {
        const char* hex;
        const char* reason;
    } cases[] = {
        {"67 6C 54 46 02 00 00", "not a glb"},
        {"00 00 00 00 02 00 00 00 1C 00 00 00 02 00 00 00 4A 53 4F 4E 7B 7D 20 20", "not a glb"},
        {"67 6C 54 46 01 00 00 00 1C 00 00 00 02 00 00 00 4A 53 4F 4E 7B 7D 20 20", "version 1"},
        {"67 6C 54 46 02 00 00 00 1C 00 00 00 FF 00 00 00 4A 53 4F 4E 7B 7D 20 20", "chunk lengths"},
        {"67 6C 54 46 02 00 00 00 1C 00 00 00 04 00 00 00 42 49 4E 00 7B 7D 20 20", "chunk lengths"},
        {"67 6C 54 46 02 00 00 00 18 00 00 00 04 00 00 00 4A 53 4F 4E 7B 7B 20 20", "does not parse"},
    };
    for (const auto& c : cases) {
        const testsupport::Bytes bytes = testsupport::FromHex(c.hex);
        json parsed;
        std::string error;
        EXPECT_FALSE(ReadGlbJson(std::vector<unsigned char>(bytes.begin(), bytes.end()), parsed, error)) << c.hex;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.hex << " -> " << error;
    }
}
