// Export and import of a large generated model, each beside its two floors:
// the raw file I/O (one fwrite or fread of the whole file) and the host calls
// the command makes (fed from memory, no file). The commands' ratios to their
// floors and the cost of many bones against one are printed as counters and,
// at the end, as a Markdown table.
//
//   qev_bench [--vertices=N] [--meshes=N] [--bones=N] [--iterations=N] [benchmark flags]
//
// Every iteration is timed by hand around the measured call alone: building or
// copying the model before it and releasing it after stay outside the time.
// The time reported is the CPU time of the benchmark's thread, user and kernel
// (the file system's work in read and write included): the machine is shared,
// and wall time also counts the other programs' turns. Wall time is kept
// beside it for the summary.
#include <benchmark/benchmark.h>
#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "bench_files.h"
#include "bench_model.h"
#include "decoded_model.h"
#include "export_command.h"
#include "heap_count.h"
#include "host_call_floors.h"
#include "import_command.h"
#include "samples.h"
#include "summary.h"

namespace {

using bench::Bytes;
using bench::ModelShape;
using Clock = std::chrono::steady_clock;

double ThreadCpuSeconds() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Both clocks, started together.
struct Stopwatch {
    Clock::time_point wall = Clock::now();
    double cpu = ThreadCpuSeconds();
};

const int32_t kManyBones = 256;

struct Options {
    int32_t meshes = 8;
    int32_t verticesPerMesh = 65536;
    int32_t bones = 128;
    int64_t iterations = 5;
};

// What every benchmark works on, made once before the first one runs.
struct Setup {
    bench::ScratchFolder folder;
    ModelShape shape{};
    msModel model;
    std::string file;  // model exported
    Bytes bytes;       // its content
    bench::DecodedModel decoded;
    std::string exportTarget;
    std::string ioTarget;

    ModelShape boneShape{};
    std::string oneBoneFile;
    std::string manyBonesFile;

    bench::RunFacts facts{};
};

Setup* setup = nullptr;
bool anyFailed = false;  // a command or floor failed: the run's status says so

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Samples go by the plain benchmark name: state.name() carries the run's
// decorations (iterations, manual_time).
void Record(benchmark::State& state, const char* name, const Stopwatch& start) {
    const double cpu = ThreadCpuSeconds() - start.cpu;
    state.SetIterationTime(cpu);
    bench::RecordSample(name, cpu);
    bench::RecordSample(std::string(name) + bench::kWallSuffix, Since(start.wall));
}

void Rates(benchmark::State& state, uint64_t bytes, int64_t vertices) {
    state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
    state.counters["vertices"] = benchmark::Counter(static_cast<double>(vertices) * state.iterations(),
                                                    benchmark::Counter::kIsRate);
}

bool Fail(benchmark::State& state, const char* what) {
    state.SkipWithError(what);
    anyFailed = true;
    return false;
}

// ---- export ----

void ExportIoFloor(benchmark::State& state) {
    for (auto _ : state) {
        std::remove(setup->ioTarget.c_str());
        const Stopwatch start;
        FILE* file = std::fopen(setup->ioTarget.c_str(), "wb");
        const bool written = file && std::fwrite(setup->bytes.data(), 1, setup->bytes.size(), file) == setup->bytes.size();
        const bool closed = file && std::fclose(file) == 0;
        Record(state, bench::kExportIoFloor, start);
        if (!written || !closed) return (void)Fail(state, "writing the file failed");
    }
    Rates(state, setup->bytes.size(), setup->facts.vertices);
}

void ExportHostFloor(benchmark::State& state) {
    for (auto _ : state) {
        std::unique_ptr<msModel> copy(new msModel(setup->model));
        const Stopwatch start;
        bench::ExportHostCalls(copy.get());
        Record(state, bench::kExportHostFloor, start);
    }
    Rates(state, setup->bytes.size(), setup->facts.vertices);
}

void ExportCommand(benchmark::State& state) {
    for (auto _ : state) {
        std::unique_ptr<msModel> copy(new msModel(setup->model));
        std::remove(setup->exportTarget.c_str());
        const Stopwatch start;
        const int result = ExportQevFile(copy.get(), setup->exportTarget.c_str());
        Record(state, bench::kExportCommand, start);
        if (result != 0) return (void)Fail(state, "ExportQevFile failed");
    }
    Rates(state, setup->bytes.size(), setup->facts.vertices);
    state.counters["x_floors"] = bench::CommandOverFloors(bench::kExportCommand, bench::kExportIoFloor,
                                                          bench::kExportHostFloor);
}

// ---- import ----

void ImportIoFloor(benchmark::State& state) {
    Bytes into(setup->bytes.size() + 1, 1);  // touched now, so no page is first faulted in the timed read
    for (auto _ : state) {
        const Stopwatch start;
        FILE* file = std::fopen(setup->file.c_str(), "rb");
        const size_t got = file ? std::fread(into.data(), 1, into.size(), file) : 0;
        if (file) std::fclose(file);
        Record(state, bench::kImportIoFloor, start);
        if (got != setup->bytes.size()) return (void)Fail(state, "reading the file failed");
    }
    Rates(state, setup->bytes.size(), setup->facts.vertices);
}

void ImportHostFloor(benchmark::State& state) {
    for (auto _ : state) {
        std::unique_ptr<msModel> model(new msModel);
        const Stopwatch start;
        bench::ImportHostCalls(setup->decoded, model.get());
        Record(state, bench::kImportHostFloor, start);
    }
    Rates(state, setup->bytes.size(), setup->facts.vertices);
}

// Imports path into an empty model per iteration; the importer's own heap peak
// goes into a counter.
void ImportFile(benchmark::State& state, const char* name, const std::string& path, uint64_t bytes,
                int64_t vertices) {
    size_t heapPeak = 0;
    for (auto _ : state) {
        std::unique_ptr<msModel> model(new msModel);
        const Stopwatch start;
        bench::HeapCountBegin();
        const int result = ImportQevFile(model.get(), path.c_str());
        const size_t peak = bench::HeapCountEnd();
        Record(state, name, start);
        if (result != 0) return (void)Fail(state, "ImportQevFile failed");
        if (peak > heapPeak) heapPeak = peak;
    }
    Rates(state, bytes, vertices);
    state.counters["heap_peak_B"] = static_cast<double>(heapPeak);
}

void ImportCommand(benchmark::State& state) {
    ImportFile(state, bench::kImportCommand, setup->file, setup->bytes.size(), setup->facts.vertices);
    state.counters["x_floors"] = bench::CommandOverFloors(bench::kImportCommand, bench::kImportIoFloor,
                                                          bench::kImportHostFloor);
}

void ImportOneBone(benchmark::State& state) {
    ImportFile(state, bench::kImportOneBone, setup->oneBoneFile, bench::QevFileSize(setup->boneShape), setup->facts.boneVertices);
}

void ImportManyBones(benchmark::State& state) {
    ModelShape many = setup->boneShape;
    many.bones = kManyBones;
    ImportFile(state, bench::kImportManyBones, setup->manyBonesFile, bench::QevFileSize(many), setup->facts.boneVertices);
    state.counters["x_1_bone"] = bench::MedianRatio(bench::kImportManyBones, bench::kImportOneBone);
}

// ---- set-up ----

bool ParseOption(const char* arg, const char* name, int64_t* value) {
    const size_t length = std::strlen(name);
    if (std::strncmp(arg, name, length) != 0 || arg[length] != '=') return false;
    char* end = nullptr;
    const long long parsed = std::strtoll(arg + length + 1, &end, 10);
    if (*end != '\0' || parsed < 1) return false;
    *value = parsed;
    return true;
}

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
        else {
            std::fprintf(stderr,
                         "qev_bench: unknown option %s\n"
                         "usage: qev_bench [--vertices=N (per mesh, <= 65536)] [--meshes=N] [--bones=N]\n"
                         "                 [--iterations=N] [benchmark flags]\n",
                         argv[n]);
            return false;
        }
    }
    return true;
}

// Writes shape's model through the exporter; the import of that file must
// give the model back, or the benchmarks would time something else.
bool WriteModelFile(const msModel& source, const std::string& path, size_t* heapPeak) {
    msModel copy(source);
    if (ExportQevFile(&copy, path.c_str()) != 0) return false;
    msModel imported;
    bench::HeapCountBegin();
    const int result = ImportQevFile(&imported, path.c_str());
    *heapPeak = bench::HeapCountEnd();
    return result == 0 && standin::SameContent(source, imported);
}

bool WriteShapeFile(const ModelShape& shape, const std::string& path, size_t* heapPeak) {
    msModel source;
    bench::BuildModel(shape, source);
    return WriteModelFile(source, path, heapPeak);
}

std::string Describe(const ModelShape& shape) {
    char text[160];
    std::snprintf(text, sizeof(text), "%d meshes x %d vertices x %d triangles, %d bones", (int)shape.meshes,
                  (int)shape.verticesPerMesh, (int)shape.trianglesPerMesh, (int)shape.bones);
    return text;
}

bool Prepare(const Options& options, Setup* s) {
    if (!s->folder.ok()) return false;
    const int32_t triangles = options.verticesPerMesh * 2;
    s->shape = ModelShape{options.meshes, options.verticesPerMesh, triangles, options.bones};
    s->file = s->folder.File("large.qev");
    s->exportTarget = s->folder.File("exported.qev");
    s->ioTarget = s->folder.File("written.qev");

    bench::BuildModel(s->shape, s->model);
    if (!WriteModelFile(s->model, s->file, &s->facts.heapLargeFile)) return false;
    s->bytes = bench::ReadWholeFile(s->file);
    if (s->bytes.size() != bench::QevFileSize(s->shape)) return false;
    s->decoded = bench::DecodeModel(s->model);
    msModel floorModel;  // the floor must build what the command builds
    bench::ImportHostCalls(s->decoded, &floorModel);
    if (!standin::SameContent(floorModel, s->model)) return false;

    // The same vertices twice, without triangles, so the bones' share shows.
    s->boneShape = ModelShape{options.meshes, options.verticesPerMesh, 0, 1};
    ModelShape many = s->boneShape;
    many.bones = kManyBones;
    s->oneBoneFile = s->folder.File("one_bone.qev");
    s->manyBonesFile = s->folder.File("many_bones.qev");
    if (!WriteShapeFile(s->boneShape, s->oneBoneFile, &s->facts.heapOneBone)) return false;
    if (!WriteShapeFile(many, s->manyBonesFile, &s->facts.heapManyBones)) return false;
    const std::string tiny = s->folder.File("tiny.qev");
    if (!WriteShapeFile(ModelShape{1, 16, 32, 1}, tiny, &s->facts.heapTinyFile)) return false;

    s->facts.shape = Describe(s->shape);
    s->facts.fileBytes = s->bytes.size();
    s->facts.vertices = static_cast<int64_t>(options.meshes) * options.verticesPerMesh;
    s->facts.boneShape = Describe(s->boneShape) + " and " + std::to_string(kManyBones) + " bones";
    s->facts.boneVertices = s->facts.vertices;
    s->facts.manyBones = kManyBones;
    return true;
}

void Register(const char* name, void (*run)(benchmark::State&), int64_t iterations) {
    benchmark::RegisterBenchmark(name, run)->UseManualTime()->Iterations(iterations)->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Options options;
    if (!ParseOptions(argc, argv, &options)) return 2;

    std::unique_ptr<Setup> prepared(new Setup);
    const Clock::time_point start = Clock::now();
    if (!Prepare(options, prepared.get())) {
        std::fprintf(stderr, "qev_bench: preparing the model files failed (export, import or round trip)\n");
        return 1;
    }
    std::fprintf(stderr, "qev_bench: model files ready in %.1f s\n", Since(start));
    setup = prepared.get();

    // Floors first: each command's ratio counter needs them.
    Register(bench::kExportIoFloor, ExportIoFloor, options.iterations);
    Register(bench::kExportHostFloor, ExportHostFloor, options.iterations);
    Register(bench::kExportCommand, ExportCommand, options.iterations);
    Register(bench::kImportIoFloor, ImportIoFloor, options.iterations);
    Register(bench::kImportHostFloor, ImportHostFloor, options.iterations);
    Register(bench::kImportCommand, ImportCommand, options.iterations);
    Register(bench::kImportOneBone, ImportOneBone, options.iterations);
    Register(bench::kImportManyBones, ImportManyBones, options.iterations);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    bench::PrintSummary(setup->facts);
    std::fprintf(stderr, "qev_bench: whole run %.1f s\n", Since(start));
    setup = nullptr;
    return anyFailed ? 1 : 0;
}
