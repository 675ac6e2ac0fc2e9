#include "export_command.h"

#include "file_chooser.h"
#include "win32_api.h"

int RunExportCommand(msModel* model) {
    if (!model) return -1;
    if (msModel_GetMeshCount(model) == 0) {
        MessageBoxA(nullptr, "The model is empty!  Nothing exported!", "Text Export", MB_ICONWARNING);
        return 0;
    }
    char szFile[QEV_PATH_BUFFER];
    if (!ChooseQevFile(ChooserDirection::Export, szFile)) return 0;
    return ExportQevFile(model, szFile);
}

int ExportQevFile(msModel* model, const char* path) {
    (void)model;
    (void)path;
    return -1;  // not yet
}
