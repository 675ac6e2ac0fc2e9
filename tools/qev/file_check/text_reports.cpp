#include <cstdint>

#include "file_reports.h"

namespace {

std::string Plural(int64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// "17 of 100 vertices" when the file announced more than it holds, else "100 vertices".
std::string ReadOfAnnounced(int64_t read, int64_t announced, const char* one, const char* many) {
    if (announced > read) return std::to_string(read) + " of " + Plural(announced, one, many);
    return Plural(read, one, many);
}

std::string VersionText(const FileFacts& facts) {
    if (!facts.versionRead) return "version unknown (the file ends before it)";
    const int32_t readsAs = ReadsAsVersion(facts.version);
    std::string text = "version " + std::to_string(facts.version);
    if (readsAs != facts.version) text += " (reads as " + std::to_string(readsAs) + ")";
    return text;
}

std::string BlockName(const MeshBlockFacts& block) {
    if (block.nameStored) return QuotedName(block.name);
    if (!block.name.empty()) return block.name + " (no stored name)";  // group_<n>
    return "(no name)";
}

std::string GeostatesText(const MeshBlockFacts& block) {
    if (block.announcedGeostates <= 0 && block.geostates.empty()) return "no geostates";
    std::string text = ReadOfAnnounced(static_cast<int64_t>(block.geostates.size()), block.announcedGeostates,
                                       "geostate", "geostates");
    if (block.geostates.empty()) return text;
    text += " (";
    for (size_t g = 0; g < block.geostates.size(); ++g) {
        if (g > 0) text += ", ";
        text += std::to_string(block.geostates[g].triangles);
        if (block.geostates[g].announced > block.geostates[g].triangles)
            text += " of " + std::to_string(block.geostates[g].announced);
    }
    return text + (block.geostates.size() == 1 && block.geostates[0].triangles == 1 ? " triangle)" : " triangles)");
}

void PrintProblems(const FileFacts& facts, std::FILE* out) {
    for (const Problem& problem : facts.problems)
        std::fprintf(out, "  %s: %s%s\n", problem.severity == Severity::kError ? "error" : "warning",
                     BlockPrefix(facts, problem.block).c_str(), problem.message.c_str());
    for (const auto& left : facts.leftOut)
        std::fprintf(out, "  ... and %llu more %s problems not listed\n", static_cast<unsigned long long>(left.second),
                     left.first.c_str());
}

}  // namespace

std::string IntegritySummary(const FileFacts& facts) {
    if (facts.errors == 0 && facts.warnings == 0) return "ok";
    return Plural(static_cast<int64_t>(facts.errors), "error", "errors") + ", " +
           Plural(static_cast<int64_t>(facts.warnings), "warning", "warnings");
}

void PrintInfoText(const FileFacts& facts, std::FILE* out) {
    std::fprintf(out, "%s: %s, %s\n", facts.path.c_str(),
                 Plural(static_cast<int64_t>(facts.size), "byte", "bytes").c_str(), VersionText(facts).c_str());
    int64_t vertices = 0, triangles = 0, geostates = 0, geostateTriangles = 0;
    for (const MeshBlockFacts& block : facts.blocks) {
        std::fprintf(out, "  mesh block %d %s: %s, %s, %s\n", block.number, BlockName(block).c_str(),
                     ReadOfAnnounced(block.vertices, block.announcedVertices, "vertex", "vertices").c_str(),
                     ReadOfAnnounced(block.triangles, block.announcedTriangles, "triangle", "triangles").c_str(),
                     GeostatesText(block).c_str());
        vertices += block.vertices;
        triangles += block.triangles;
        geostates += static_cast<int64_t>(block.geostates.size());
        for (const GeostateFacts& geostate : block.geostates) geostateTriangles += geostate.triangles;
    }
    std::fprintf(out, "  bones: %s\n",
                 ReadOfAnnounced(static_cast<int64_t>(facts.bones.size()), facts.announcedBones, "bone", "bones").c_str());
    for (size_t b = 0; b < facts.bones.size(); ++b) {
        std::fprintf(out, "    %zu %s", b, QuotedName(BoneName(facts, b)).c_str());
        if (facts.bones[b].sameNameAs >= 0) std::fprintf(out, " (same name as bone %d)", facts.bones[b].sameNameAs);
        std::fputc('\n', out);
    }
    std::fprintf(out, "  total: %s, %s, %s, %s (%s), %s\n",
                 ReadOfAnnounced(static_cast<int64_t>(facts.blocks.size()), facts.announcedMeshes, "mesh block",
                                 "mesh blocks").c_str(),
                 Plural(vertices, "vertex", "vertices").c_str(), Plural(triangles, "triangle", "triangles").c_str(),
                 Plural(geostates, "geostate", "geostates").c_str(),
                 Plural(geostateTriangles, "triangle", "triangles").c_str(),
                 Plural(static_cast<int64_t>(facts.bones.size()), "bone", "bones").c_str());
    std::string check = IntegritySummary(facts);
    if (!facts.problems.empty()) {
        const Problem* firstError = nullptr;
        for (const Problem& problem : facts.problems)
            if (!firstError && problem.severity == Severity::kError) firstError = &problem;
        const Problem& first = firstError ? *firstError : facts.problems.front();
        check += " (first: " + BlockPrefix(facts, first.block) + first.message + "; qev check lists all)";
    }
    std::fprintf(out, "  check: %s\n", check.c_str());
}

void PrintCheckText(const FileFacts& facts, std::FILE* out) {
    std::fprintf(out, "%s: %s\n", facts.path.c_str(), IntegritySummary(facts).c_str());
    PrintProblems(facts, out);
}
