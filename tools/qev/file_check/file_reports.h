// The ways qev shows the facts of a file: as text for people (info, check)
// and as a JSON stream for scripts (both commands print the same document).
#ifndef QEV_TOOL_FILE_REPORTS_H
#define QEV_TOOL_FILE_REPORTS_H

#include <cstdio>
#include <string>

#include "file_facts.h"
#include "json_stream.h"

// "ok" or "2 errors, 1 warning": the integrity line both commands print.
std::string IntegritySummary(const FileFacts& facts);

void PrintInfoText(const FileFacts& facts, std::FILE* out);
void PrintCheckText(const FileFacts& facts, std::FILE* out);

// One file's entry in the "files" list of the JSON document.
void WriteFileJson(const FileFacts& facts, qevmodel::JsonStream& stream);
// The entry of a file that could not be read.
void WriteUnreadableFileJson(const std::string& path, const std::string& error, qevmodel::JsonStream& stream);

#endif
