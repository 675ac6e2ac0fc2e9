// The scenarios both the native build and the Windows DLLs under Wine run, so
// that their results can be compared file for file: one model to export, one
// version-3 file to import into a model that already holds bones. Everything
// is built and read through the model library's C API only, the way a host
// sees the model, so the same code serves the stand-in linked natively and the
// stand-in msModelLib.dll.
#ifndef QEV_WINDOWS_SCENARIO_H
#define QEV_WINDOWS_SCENARIO_H

#include <string>
#include <vector>

#include "msLib.h"

namespace scenario {

// Result files, written by each side into its own results folder.
extern const char kExportedFile[];    // the exporter's output for ExportModel
extern const char kImportSource[];    // the version-3 input of the import
extern const char kImportedDump[];    // DumpModel of the import target afterwards

// Two named meshes with skinned vertices, bone references that name no bone,
// extreme extra values, odd float bit patterns, and a skeleton.
void BuildExportModel(msModel* model);

// A version-3 file written out field by field: two mesh blocks, the first with
// two geostate blocks, weights whose percentages only truncate correctly in
// single precision, and three bones of which one is already in the target.
std::vector<unsigned char> Version3File();

// The model the version-3 file is imported into: two bones and one mesh.
void BuildImportTarget(msModel* model);

// Every value the model holds, one item a line; floats as their bit patterns
// and names as hex bytes, so equal dumps mean byte-identical models.
std::string DumpModel(msModel* model);

bool WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes);
bool ReadBytes(const std::string& path, std::vector<unsigned char>& bytes);

}  // namespace scenario

#endif
