#include "summary.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "samples.h"

namespace bench {

const char* const kExportIoFloor = "export/io_floor";
const char* const kExportDurableIoFloor = "export/io_floor_fsync";
const char* const kExportHostFloor = "export/host_call_floor";
const char* const kExportCommand = "export/command";
const char* const kImportIoFloor = "import/io_floor";
const char* const kImportHostFloor = "import/host_call_floor";
const char* const kImportCommand = "import/command";
const char* const kImportOneBone = "import/vertices_1_bone";
const char* const kImportManyBones = "import/vertices_256_bones";
const char* const kWallSuffix = "@wall";

namespace {

// The full-size model is about 96 MB; well below that the fixed costs of a run
// (opening files, the bone list) no longer vanish beside the per-vertex work.
const uint64_t kFullSizeBytes = 64u * 1000 * 1000;

std::string CpuModel() {
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    while (std::getline(cpuinfo, line)) {
        if (line.rfind("model name", 0) != 0) continue;
        const size_t colon = line.find(':');
        return colon == std::string::npos ? line : line.substr(colon + 2);
    }
    return "unknown";
}

double WallSeconds(const char* name) { return MedianSeconds(std::string(name) + kWallSuffix); }

// One table row: CPU ms, wall ms, then rates from the CPU time.
void Row(const char* name, uint64_t bytes, int64_t vertices, double ratio, double wallRatio) {
    const double seconds = MedianSeconds(name);
    if (seconds <= 0) {
        std::printf("| %s | not run | | | | |\n", name);
        return;
    }
    std::printf("| %s | %.1f | %.1f | %.0f | %.2f M |", name, seconds * 1e3, WallSeconds(name) * 1e3,
                bytes / seconds / 1e6, vertices / seconds / 1e6);
    if (ratio > 0)
        std::printf(" %.2f (wall %.2f) |\n", ratio, wallRatio);
    else
        std::printf(" |\n");
}

const char* Verdict(double ratio, double limit) {
    if (ratio <= 0) return "not measured";
    return ratio <= limit ? "holds" : "MISSED";
}

}  // namespace

double CommandOverFloors(const char* command, const char* ioFloor, const char* hostFloor, bool wall) {
    auto median = [wall](const char* name) { return wall ? WallSeconds(name) : MedianSeconds(name); };
    const double floors = median(ioFloor) + median(hostFloor);
    const double seconds = median(command);
    return floors > 0 && seconds > 0 ? seconds / floors : 0;
}

void PrintSummary(const RunFacts& facts) {
    // The export puts its bytes on the disk before it renames the file; its
    // I/O floor does the same.
    const double exportRatio = CommandOverFloors(kExportCommand, kExportDurableIoFloor, kExportHostFloor);
    const double importRatio = CommandOverFloors(kImportCommand, kImportIoFloor, kImportHostFloor);
    const double boneRatio = MedianRatio(kImportManyBones, kImportOneBone);
    const double exportWallRatio = CommandOverFloors(kExportCommand, kExportDurableIoFloor, kExportHostFloor, true);
    const double importWallRatio = CommandOverFloors(kImportCommand, kImportIoFloor, kImportHostFloor, true);
    const double boneWallRatio =
        MedianRatio(std::string(kImportManyBones) + kWallSuffix, std::string(kImportOneBone) + kWallSuffix);

    std::printf("\nMachine: %ld cores, %s\n", sysconf(_SC_NPROCESSORS_ONLN), CpuModel().c_str());
    std::printf("Model: %s, %.1f MB as QEV\n", facts.shape.c_str(), facts.fileBytes / 1e6);
    std::printf(
        "Medians of every timed iteration; CPU time of the benchmark's thread (user and kernel),\n"
        "wall time beside it; rates from the CPU time; ratio: command / (I/O floor + host-call floor),\n"
        "for the export the I/O floor with fsync.\n\n");
    std::printf("| measure | CPU ms | wall ms | MB/s | vertices/s | ratio |\n|---|---|---|---|---|---|\n");
    Row(kExportCommand, facts.fileBytes, facts.vertices, exportRatio, exportWallRatio);
    Row(kExportIoFloor, facts.fileBytes, facts.vertices, 0, 0);
    Row(kExportDurableIoFloor, facts.fileBytes, facts.vertices, 0, 0);
    Row(kExportHostFloor, facts.fileBytes, facts.vertices, 0, 0);
    Row(kImportCommand, facts.fileBytes, facts.vertices, importRatio, importWallRatio);
    Row(kImportIoFloor, facts.fileBytes, facts.vertices, 0, 0);
    Row(kImportHostFloor, facts.fileBytes, facts.vertices, 0, 0);
    std::printf("\nBone merge (%s):\n\n| measure | CPU ms | wall ms | vertices/s | ratio |\n|---|---|---|---|---|\n",
                facts.boneShape.c_str());
    for (const char* name : {kImportOneBone, kImportManyBones}) {
        const double seconds = MedianSeconds(name);
        std::printf("| %s | %.1f | %.1f | %.2f M |", name, seconds * 1e3, WallSeconds(name) * 1e3,
                    seconds > 0 ? facts.boneVertices / seconds / 1e6 : 0.0);
        if (name == kImportManyBones && boneRatio > 0)
            std::printf(" %.2f (wall %.2f) |\n", boneRatio, boneWallRatio);
        else
            std::printf(" |\n");
    }

    std::printf(
        "\nImporter's own heap peak (model excluded): %zu B for a 1-mesh file of 16 vertices, "
        "%zu B for the large file, %zu B with 1 bone, %zu B with %d bones\n",
        facts.heapTinyFile, facts.heapLargeFile, facts.heapOneBone, facts.heapManyBones, facts.manyBones);

    std::printf("\nTargets (CPU time; wall time in brackets):\n");
    if (facts.fileBytes < kFullSizeBytes)
        std::printf("(a small model: fixed costs weigh more here; the targets are judged on the full-size model)\n");
    std::printf("- export <= %.1fx its floors: %.2fx (%.2fx), %s\n", kMaxCommandOverFloors, exportRatio,
                exportWallRatio, Verdict(exportRatio, kMaxCommandOverFloors));
    std::printf("- import <= %.1fx its floors: %.2fx (%.2fx), %s\n", kMaxCommandOverFloors, importRatio,
                importWallRatio, Verdict(importRatio, kMaxCommandOverFloors));
    std::printf("- import with %d bones <= %.1fx with 1 bone: %.2fx (%.2fx), %s\n", facts.manyBones,
                kMaxManyOverOneBone, boneRatio, boneWallRatio, Verdict(boneRatio, kMaxManyOverOneBone));
}

}  // namespace bench
