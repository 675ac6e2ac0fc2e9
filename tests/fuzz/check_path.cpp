#include <cstdio>

#include "file_facts.h"
#include "file_reports.h"
#include "import_check.h"
#include "import_command.h"
#include "model.h"

namespace qevfuzz {

namespace {

// Both reports are printed, to nowhere: their making must hold up on any input too.
void PrintReports(const FileFacts& facts) {
    static std::FILE* nowhere = std::fopen("/dev/null", "w");
    if (!nowhere) return;
    PrintInfoText(facts, nowhere);
    PrintCheckText(facts, nowhere);
    qevmodel::JsonStream stream(nowhere);
    WriteFileJson(facts, stream);
}

}  // namespace

std::string CheckPathAndCompare(const uint8_t* data, size_t size) {
    const char* path = HoldInput(data, size);
    if (!path) return "cannot hold the input in a file";
    qevmodel::HostRules strict;  // a null handle or a bad index aborts, as a real host may crash
    strict.strict = true;
    qevmodel::ScopedHostRules hostRules(strict);
    FileFacts facts;
    std::string error;
    if (!ReadFileFacts(path, facts, error)) return "check could not read an existing file: " + error;
    msModel plain;
    if (ImportQevFile(&plain, path) != 0) return "the import of an existing file returned -1";
    if (!qevmodel::SameContent(*facts.model, plain)) return "the observed import built another model";
    if (facts.size != size) return "check saw another file size";
    if (facts.blocks.size() > size / 4 || facts.bones.size() > size) return "check saw more records than the input holds";
    if (facts.wholeBlocks < 0 || size_t(facts.wholeBlocks) > facts.blocks.size()) return "more blocks whole than begun";
    bool stopReported = false;
    for (const Problem& problem : facts.problems) {
        if (problem.offset > size) return "a problem past the input's end: " + problem.message;
        if (problem.block >= 0 && size_t(problem.block) >= facts.blocks.size()) return "a problem in no block";
        stopReported = stopReported || problem.code == "damaged" || problem.code == "not_read";
    }
    if (facts.whole == stopReported) return facts.whole ? "a whole file reported damaged" : "damage not reported";
    PrintReports(facts);
    return "";
}

}  // namespace qevfuzz
