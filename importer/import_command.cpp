#include "import_command.h"

#include "file_chooser.h"

int RunImportCommand(msModel* model) {
    if (!model) return -1;
    char szFile[QEV_PATH_BUFFER];
    if (!ChooseQevFile(ChooserDirection::Import, szFile)) return 0;
    return ImportQevFile(model, szFile);
}

int ImportQevFile(msModel* model, const char* path) {
    (void)model;
    (void)path;
    return -1;  // not yet
}
