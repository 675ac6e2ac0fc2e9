// Reading and writing a model in each format qev converts between, chosen by
// the file's extension: .qev (the plug-ins' own import and export), .json (the
// model JSON), .glb and .gltf.
#ifndef QEV_TOOL_MODEL_FILES_H
#define QEV_TOOL_MODEL_FILES_H

#include <string>
#include <vector>

#include "gltf_options.h"
#include "model.h"

enum class ModelFormat { Unknown, Qev, Json, Glb, Gltf };

// By extension, case-insensitive; "qev", "json", "glb", "gltf" name the same.
ModelFormat FormatOfExtension(const std::string& extension);
ModelFormat FormatOfPath(const std::string& path);
const char* ExtensionOf(ModelFormat format);

// Reads path into model (empty). False with a one-line reason on failure.
bool ReadModelAny(const std::string& path, const GltfOptions& options, msModel& model,
                  std::vector<std::string>& warnings, std::string& error);

// Writes model to path in format, the way the exporter saves: a temporary file
// beside it that takes the path's place only when complete. The model may be
// emptied (a QEV export hands it to msModel_Destroy).
bool WriteModelAny(msModel& model, const std::string& path, ModelFormat format, const GltfOptions& options,
                   std::string& error);

#endif
