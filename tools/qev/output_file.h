// Writing a whole output file (page, picture, converted model) so that the chosen path only
// ever holds a complete one, as the exporter writes QEV files.
#ifndef QEV_TOOL_OUTPUT_FILE_H
#define QEV_TOOL_OUTPUT_FILE_H

#include <cstddef>
#include <string>

// On failure a one-line reason starting with the path; the path is untouched.
bool WriteWholeFile(const std::string& path, const void* bytes, size_t size, std::string& error);
bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string& error);

// PATH with its extension (if any) replaced by newExtension (".html").
std::string ReplaceExtension(const std::string& path, const std::string& newExtension);

#endif
