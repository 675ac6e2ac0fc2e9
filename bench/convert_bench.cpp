// qev convert on the large generated model (the one qev_bench uses): QEV -> glb
// beside the plug-in import of the same file, glb -> QEV beside the plug-in
// export of the same model, in one run; then the peak memory of the qev
// convert process for each direction.
//
//   qev_convert_bench [--vertices=N] [--rounds=N] [benchmark flags]
//
// Times are the thread's CPU time around the measured calls alone (building or
// copying a model beforehand and releasing it after stay outside). Rounds of
// the four benchmarks are interleaved, so a conversion and its plug-in command
// meet the same load on the shared machine.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "bench_model.h"
#include "export_command.h"
#include "file_commit.h"
#include "gltf_to_model.h"
#include "import_command.h"
#include "model_to_gltf.h"
#include "stopwatch.h"

extern char** environ;

namespace {

struct Files {
    std::string folder, qev, glb, qevOut, glbOut;
    uint64_t qevSize = 0;
    msModel model;
};
Files* files = nullptr;
std::map<std::string, std::vector<double>> samples;
bool anyFailed = false;

void Record(benchmark::State& state, const char* name, const bench::Stopwatch& start) {
    const double cpu = start.CpuSeconds();
    state.SetIterationTime(cpu);
    samples[name].push_back(cpu);
}

std::vector<unsigned char> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteAll(const std::string& path, const std::vector<unsigned char>& bytes) {
    PendingFile* file = new PendingFile();
    bool ok = OpenPendingFile(path.c_str(), file);
    if (ok) {
        WritePending(file, bytes.data(), bytes.size());
        ok = CommitPendingFile(file);
    }
    delete file;
    return ok;
}

void PluginImport(benchmark::State& state) {
    for (auto _ : state) {
        msModel model;
        const bench::Stopwatch start;
        const int result = ImportQevFile(&model, files->qev.c_str());
        Record(state, "import (importer plug-in)", start);
        if (result != 0) anyFailed = true, state.SkipWithError("import failed");
    }
}

void QevToGlb(benchmark::State& state) {
    for (auto _ : state) {
        std::string error;
        bool ok;
        {
            const bench::Stopwatch start;
            msModel model;
            // As qev convert writes it: serialised straight into the file.
            std::ofstream out(files->glbOut, std::ios::binary | std::ios::trunc);
            ok = ImportQevFile(&model, files->qev.c_str()) == 0 &&
                 WriteModelAsGltf(model, GltfOptions(), true, out, error);
            out.close();
            ok = ok && !out.fail();
            Record(state, "QEV -> glb", start);  // the model's release is part of a conversion
        }
        if (!ok) anyFailed = true, state.SkipWithError("QEV -> glb failed");
    }
}

void PluginExport(benchmark::State& state) {
    for (auto _ : state) {
        msModel model = files->model;
        const bench::Stopwatch start;
        const int result = ExportQevFile(&model, files->qevOut.c_str());
        Record(state, "export (exporter plug-in)", start);
        if (result != 0) anyFailed = true, state.SkipWithError("export failed");
    }
}

void GlbToQev(benchmark::State& state) {
    for (auto _ : state) {
        bool ok;
        {
            const bench::Stopwatch start;
            msModel model;
            std::vector<std::string> warnings;
            std::string error;
            ok = GltfToModel(ReadAll(files->glb), "", GltfOptions(), model, warnings, error) &&
                 ExportQevFile(&model, files->qevOut.c_str()) == 0;
            Record(state, "glb -> QEV", start);
        }
        if (!ok) anyFailed = true, state.SkipWithError("glb -> QEV failed");
    }
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Peak resident memory of `qev convert IN OUT`, in bytes; 0 when it failed.
uint64_t ConvertPeak(const std::string& qev, const std::string& in, const std::string& out) {
    std::vector<std::string> args = {qev, "convert", in, out};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    pid_t pid;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return 0;
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return 0;
    return (uint64_t)usage.ru_maxrss * 1024;
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    bench::ModelShape shape = {8, 65536, 131072, 128};
    int rounds = 11;
    for (int i = 1; i < argc; ++i) {
        if (strncmp(argv[i], "--vertices=", 11) == 0) {
            shape.verticesPerMesh = std::max(3, std::min(65536, atoi(argv[i] + 11)));
            shape.trianglesPerMesh = 2 * shape.verticesPerMesh;
        } else if (strncmp(argv[i], "--rounds=", 9) == 0) {
            rounds = std::max(1, atoi(argv[i] + 9));
        } else {
            fprintf(stderr, "usage: qev_convert_bench [--vertices=N] [--rounds=N] [benchmark flags]\n");
            return 2;
        }
    }

    Files f;
    char folder[] = "/tmp/qev-convert-bench-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    f.folder = folder;
    f.qev = f.folder + "/model.qev", f.glb = f.folder + "/model.glb";
    f.qevOut = f.folder + "/out.qev", f.glbOut = f.folder + "/out.glb";
    // The files are made in a child process and the qev convert runs measured
    // before this process grows: a child started later would inherit this
    // process's peak as its own (Linux carries it over exec).
    const pid_t maker = fork();
    if (maker == 0) {
        msModel model;
        bench::BuildModel(shape, model);
        msModel copy = model;
        std::vector<unsigned char> glb;
        std::string error;
        const bool made = ExportQevFile(&copy, f.qev.c_str()) == 0 && ModelToGlb(model, GltfOptions(), glb, error) &&
                          WriteAll(f.glb, glb);
        _exit(made ? 0 : 1);
    }
    int status = 0;
    if (maker < 0 || waitpid(maker, &status, 0) != maker || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        fprintf(stderr, "qev_convert_bench: cannot prepare the files\n");
        return 1;
    }
    const std::string qevTool = std::string(QEV_BIN_DIR) + "/qev";
    const uint64_t peakToGlb = ConvertPeak(qevTool, f.qev, f.glbOut);
    const uint64_t peakToQev = ConvertPeak(qevTool, f.glb, f.qevOut);
    f.qevSize = ReadAll(f.qev).size();
    bench::BuildModel(shape, f.model);
    files = &f;

    // Rounds interleaved: each registered once per round, in turn.
    for (int r = 0; r < rounds; ++r) {
        benchmark::RegisterBenchmark("import (importer plug-in)", PluginImport)->Iterations(1)->UseManualTime();
        benchmark::RegisterBenchmark("QEV -> glb", QevToGlb)->Iterations(1)->UseManualTime();
        benchmark::RegisterBenchmark("export (exporter plug-in)", PluginExport)->Iterations(1)->UseManualTime();
        benchmark::RegisterBenchmark("glb -> QEV", GlbToQev)->Iterations(1)->UseManualTime();
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    const uint64_t glbSize = ReadAll(f.glb).size();
    const double limit = 4.0 * (double)f.qevSize + 64.0 * 1048576;
    const double importMs = Median(samples["import (importer plug-in)"]) * 1e3;
    const double toGlbMs = Median(samples["QEV -> glb"]) * 1e3;
    const double exportMs = Median(samples["export (exporter plug-in)"]) * 1e3;
    const double toQevMs = Median(samples["glb -> QEV"]) * 1e3;

    printf("\nmodel: %d meshes x %d vertices x %d triangles, %d bones; QEV %.1f MB, glb %.1f MB; median of %d rounds\n\n",
           shape.meshes, shape.verticesPerMesh, shape.trianglesPerMesh, shape.bones, f.qevSize / 1e6, glbSize / 1e6,
           rounds);
    printf("| measure | CPU ms | x plug-in command | peak RSS MB (qev convert) | limit MB |\n|---|---|---|---|---|\n");
    printf("| import (importer plug-in) | %.1f | | | |\n", importMs);
    printf("| QEV -> glb | %.1f | %.2f | %.1f | %.1f |\n", toGlbMs, toGlbMs / importMs, peakToGlb / 1048576.0,
           limit / 1048576.0);
    printf("| export (exporter plug-in) | %.1f | | | |\n", exportMs);
    printf("| glb -> QEV | %.1f | %.2f | %.1f | %.1f |\n", toQevMs, toQevMs / exportMs, peakToQev / 1048576.0,
           limit / 1048576.0);
    const bool fast = toGlbMs <= 3 * importMs && toQevMs <= 3 * exportMs;
    const bool small = peakToGlb > 0 && peakToQev > 0 && peakToGlb <= limit && peakToQev <= limit;
    printf("\ntargets: each conversion at most 3 x its plug-in command (%s); peak memory at most 4 x the QEV file + "
           "64 MiB (%s)\n",
           fast ? "met" : "NOT MET", small ? "met" : "NOT MET");

    for (const char* name : {"model.qev", "model.glb", "out.qev", "out.glb"}) remove((f.folder + "/" + name).c_str());
    rmdir(f.folder.c_str());
    return anyFailed || peakToGlb == 0 || peakToQev == 0 ? 1 : 0;
}
