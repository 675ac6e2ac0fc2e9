// Export and import of a large generated model, each beside its two floors:
// the raw file I/O (one fwrite or fread of the whole file; for the export also
// with the fsync it makes before its rename) and the host calls
// the command makes (fed from memory, no file). The commands' ratios to their
// floors and the cost of many bones against one are printed as counters and,
// at the end, as a Markdown table.
//
//   qev_bench [--vertices=N] [--meshes=N] [--bones=N] [--iterations=N] [--rounds=N] [benchmark flags]
//
// Every iteration is timed by hand around the measured call alone: building or
// copying the model before it and releasing it after stay outside the time.
// The time reported to Google Benchmark is the thread's CPU time (see
// stopwatch.h); wall time is kept beside it for the summary.
//
// The machine is shared, and its load comes and goes. So each benchmark runs
// in many short rounds, interleaved at random with the rounds of the others: a
// command and its floors then meet the same mix of load, and the medians and
// ratios compare like with like.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench_setup.h"
#include "export_command.h"
#include "heap_count.h"
#include "host_call_floors.h"
#include "import_command.h"
#include "samples.h"
#include "stopwatch.h"
#include "summary.h"

namespace {

using bench::Stopwatch;

const bench::Setup* setup = nullptr;
bool anyFailed = false;  // a command or floor failed: the run's status says so

// Samples go by the plain benchmark name: state.name() carries the run's
// decorations (iterations, manual_time).
void Record(benchmark::State& state, const char* name, const Stopwatch& start) {
    const double cpu = start.CpuSeconds();
    const double wall = start.WallSeconds();
    state.SetIterationTime(cpu);
    bench::RecordSample(name, cpu);
    bench::RecordSample(std::string(name) + bench::kWallSuffix, wall);
}

void Rates(benchmark::State& state, uint64_t bytes, int64_t vertices) {
    state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
    state.counters["vertices"] =
        benchmark::Counter(static_cast<double>(vertices) * state.iterations(), benchmark::Counter::kIsRate);
}

// A ratio of medians so far; left out while a benchmark it needs has not run
// yet (rounds come in random order).
void SetRatio(benchmark::State& state, const char* counter, double ratio) {
    if (ratio > 0) state.counters[counter] = ratio;
}

void Fail(benchmark::State& state, const char* what) {
    state.SkipWithError(what);
    anyFailed = true;
}

// ---- export ----

void ExportIoFloor(benchmark::State& state) {
    const bench::Bytes& bytes = setup->bytes;
    for (auto _ : state) {
        std::remove(setup->ioTarget.c_str());
        const Stopwatch start;
        FILE* file = std::fopen(setup->ioTarget.c_str(), "wb");
        const bool written = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        const bool closed = file && std::fclose(file) == 0;
        Record(state, bench::kExportIoFloor, start);
        if (!written || !closed) return Fail(state, "writing the file failed");
    }
    Rates(state, bytes.size(), setup->facts.vertices);
}

// The same, with the bytes put on the disk before the close, as the export does.
void ExportDurableIoFloor(benchmark::State& state) {
    const bench::Bytes& bytes = setup->bytes;
    for (auto _ : state) {
        std::remove(setup->ioTarget.c_str());
        const Stopwatch start;
        FILE* file = std::fopen(setup->ioTarget.c_str(), "wb");
        const bool written = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() &&
                             std::fflush(file) == 0 && fsync(fileno(file)) == 0;
        const bool closed = file && std::fclose(file) == 0;
        Record(state, bench::kExportDurableIoFloor, start);
        if (!written || !closed) return Fail(state, "writing the file to the disk failed");
    }
    Rates(state, bytes.size(), setup->facts.vertices);
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
        if (result != 0) return Fail(state, "ExportQevFile failed");
    }
    Rates(state, setup->bytes.size(), setup->facts.vertices);
    SetRatio(state, "x_floors",
             bench::CommandOverFloors(bench::kExportCommand, bench::kExportDurableIoFloor, bench::kExportHostFloor));
}

// ---- import ----

void ImportIoFloor(benchmark::State& state) {
    bench::Bytes into(setup->bytes.size() + 1, 1);  // touched now, so no page is first faulted in the timed read
    for (auto _ : state) {
        const Stopwatch start;
        FILE* file = std::fopen(setup->file.c_str(), "rb");
        const size_t got = file ? std::fread(into.data(), 1, into.size(), file) : 0;
        if (file) std::fclose(file);
        Record(state, bench::kImportIoFloor, start);
        if (got != setup->bytes.size()) return Fail(state, "reading the file failed");
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
void ImportFile(benchmark::State& state, const char* name, const std::string& path, uint64_t bytes, int64_t vertices) {
    size_t heapPeak = 0;
    for (auto _ : state) {
        std::unique_ptr<msModel> model(new msModel);
        const Stopwatch start;
        bench::HeapCountBegin();
        const int result = ImportQevFile(model.get(), path.c_str());
        const size_t peak = bench::HeapCountEnd();
        Record(state, name, start);
        if (result != 0) return Fail(state, "ImportQevFile failed");
        if (peak > heapPeak) heapPeak = peak;
    }
    Rates(state, bytes, vertices);
    state.counters["heap_peak_B"] = static_cast<double>(heapPeak);
}

void ImportCommand(benchmark::State& state) {
    ImportFile(state, bench::kImportCommand, setup->file, setup->bytes.size(), setup->facts.vertices);
    SetRatio(state, "x_floors",
             bench::CommandOverFloors(bench::kImportCommand, bench::kImportIoFloor, bench::kImportHostFloor));
}

void ImportOneBone(benchmark::State& state) {
    ImportFile(state, bench::kImportOneBone, setup->oneBoneFile, setup->oneBoneBytes, setup->facts.boneVertices);
}

void ImportManyBones(benchmark::State& state) {
    ImportFile(state, bench::kImportManyBones, setup->manyBonesFile, setup->manyBonesBytes, setup->facts.boneVertices);
    SetRatio(state, "x_1_bone", bench::MedianRatio(bench::kImportManyBones, bench::kImportOneBone));
}

void Register(const char* name, void (*run)(benchmark::State&), const bench::Options& options) {
    benchmark::RegisterBenchmark(name, run)
        ->UseManualTime()
        ->Iterations(options.iterations)
        ->Repetitions(static_cast<int>(options.rounds))
        ->Unit(benchmark::kMillisecond);
}

// Google Benchmark's flags, with our defaults in front: the user's come later
// and win.
std::vector<char*> WithDefaultFlags(int argc, char** argv) {
    static char interleave[] = "--benchmark_enable_random_interleaving=true";
    static char aggregates[] = "--benchmark_report_aggregates_only=true";
    std::vector<char*> args = {argv[0], interleave, aggregates};
    args.insert(args.end(), argv + 1, argv + argc);
    args.push_back(nullptr);
    return args;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> args = WithDefaultFlags(argc, argv);
    argc = static_cast<int>(args.size()) - 1;
    argv = args.data();
    benchmark::Initialize(&argc, argv);
    bench::Options options;
    if (!bench::ParseOptions(argc, argv, &options)) return 2;

    std::unique_ptr<bench::Setup> prepared(new bench::Setup);
    const Stopwatch run;
    if (!bench::Prepare(options, prepared.get())) {
        std::fprintf(stderr, "qev_bench: preparing the model files failed (export, import or round trip)\n");
        return 1;
    }
    std::fprintf(stderr, "qev_bench: model files ready in %.1f s\n", run.WallSeconds());
    setup = prepared.get();

    Register(bench::kExportIoFloor, ExportIoFloor, options);
    Register(bench::kExportDurableIoFloor, ExportDurableIoFloor, options);
    Register(bench::kExportHostFloor, ExportHostFloor, options);
    Register(bench::kExportCommand, ExportCommand, options);
    Register(bench::kImportIoFloor, ImportIoFloor, options);
    Register(bench::kImportHostFloor, ImportHostFloor, options);
    Register(bench::kImportCommand, ImportCommand, options);
    Register(bench::kImportOneBone, ImportOneBone, options);
    Register(bench::kImportManyBones, ImportManyBones, options);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    bench::PrintSummary(setup->facts);
    std::fprintf(stderr, "qev_bench: whole run %.1f s\n", run.WallSeconds());
    setup = nullptr;
    return anyFailed ? 1 : 0;
}
