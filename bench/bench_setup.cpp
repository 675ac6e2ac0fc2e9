#include "bench_setup.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "export_command.h"
#include "heap_count.h"
#include "host_call_floors.h"
#include "import_command.h"

namespace bench {

namespace {

bool ParseOption(const char* arg, const char* name, int64_t* value) {
    const size_t length = std::strlen(name);
    if (std::strncmp(arg, name, length) != 0 || arg[length] != '=') return false;
    char* end = nullptr;
    const long long parsed = std::strtoll(arg + length + 1, &end, 10);
    if (*end != '\0' || parsed < 1) return false;
    *value = parsed;
    return true;
}

// Exports source to path, imports the file into an empty model, which must
// equal source; the import's own heap peak goes to heapPeak.
bool WriteModelFile(const msModel& source, const std::string& path, size_t* heapPeak) {
    msModel copy(source);  // the export hands its model to msModel_Destroy
    if (ExportQevFile(&copy, path.c_str()) != 0) return false;
    msModel imported;
    HeapCountBegin();
    const int result = ImportQevFile(&imported, path.c_str());
    *heapPeak = HeapCountEnd();
    return result == 0 && qevmodel::SameContent(source, imported);
}

bool WriteShapeFile(const ModelShape& shape, const std::string& path, size_t* heapPeak) {
    msModel source;
    BuildModel(shape, source);
    return WriteModelFile(source, path, heapPeak);
}

std::string Describe(const ModelShape& shape) {
    char text[160];
    std::snprintf(text, sizeof(text), "%d meshes x %d vertices x %d triangles, %d bones", (int)shape.meshes,
                  (int)shape.verticesPerMesh, (int)shape.trianglesPerMesh, (int)shape.bones);
    return text;
}

}  // namespace

bool ParseOptions(int argc, char** argv, Options* options) {
    for (int n = 1; n < argc; ++n) {
        int64_t value = 0;
        if (ParseOption(argv[n], "--vertices", &value) && value <= 65536)
            options->verticesPerMesh = static_cast<int32_t>(value);
        else if (ParseOption(argv[n], "--meshes", &value) && value <= 4096)
            options->meshes = static_cast<int32_t>(value);
        else if (ParseOption(argv[n], "--bones", &value) && value <= 100000)
            options->bones = static_cast<int32_t>(value);
        else if (ParseOption(argv[n], "--iterations", &value) && value <= 1000)
            options->iterations = value;
        else if (ParseOption(argv[n], "--rounds", &value) && value <= 1000)
            options->rounds = value;
        else {
            std::fprintf(stderr,
                         "qev_bench: unknown option %s\n"
                         "usage: qev_bench [--vertices=N (per mesh, <= 65536)] [--meshes=N] [--bones=N]\n"
                         "                 [--iterations=N] [--rounds=N] [benchmark flags]\n",
                         argv[n]);
            return false;
        }
    }
    return true;
}

bool Prepare(const Options& options, Setup* s) {
    if (!s->folder.ok()) return false;
    const ModelShape shape{options.meshes, options.verticesPerMesh, options.verticesPerMesh * 2, options.bones};
    s->file = s->folder.File("large.qev");
    s->exportTarget = s->folder.File("exported.qev");
    s->ioTarget = s->folder.File("written.qev");

    BuildModel(shape, s->model);
    if (!WriteModelFile(s->model, s->file, &s->facts.heapLargeFile)) return false;
    s->bytes = ReadWholeFile(s->file);
    if (s->bytes.size() != QevFileSize(shape)) return false;
    s->decoded = DecodeModel(s->model);
    msModel floorModel;
    ImportHostCalls(s->decoded, &floorModel);
    if (!qevmodel::SameContent(floorModel, s->model)) return false;

    // Without triangles, so the bones' share of the import shows.
    const ModelShape oneBone{options.meshes, options.verticesPerMesh, 0, 1};
    const ModelShape manyBones{options.meshes, options.verticesPerMesh, 0, kManyBones};
    s->oneBoneFile = s->folder.File("one_bone.qev");
    s->manyBonesFile = s->folder.File("many_bones.qev");
    if (!WriteShapeFile(oneBone, s->oneBoneFile, &s->facts.heapOneBone)) return false;
    if (!WriteShapeFile(manyBones, s->manyBonesFile, &s->facts.heapManyBones)) return false;
    s->oneBoneBytes = QevFileSize(oneBone);
    s->manyBonesBytes = QevFileSize(manyBones);
    if (!WriteShapeFile(ModelShape{1, 16, 32, 1}, s->folder.File("tiny.qev"), &s->facts.heapTinyFile)) return false;

    s->facts.shape = Describe(shape);
    s->facts.fileBytes = s->bytes.size();
    s->facts.vertices = static_cast<int64_t>(options.meshes) * options.verticesPerMesh;
    char boneShape[160];
    std::snprintf(boneShape, sizeof(boneShape), "%d meshes x %d vertices, no triangles: 1 bone against %d",
                  (int)options.meshes, (int)options.verticesPerMesh, (int)kManyBones);
    s->facts.boneShape = boneShape;
    s->facts.boneVertices = s->facts.vertices;
    s->facts.manyBones = kManyBones;
    return true;
}

}  // namespace bench
