#include "export_command.h"

#include "file_chooser.h"
#include "file_commit.h"
#include "model_writer.h"
#include "win32_api.h"

int RunExportCommand(msModel* model) {
    if (!model) return -1;
    // Only meshes count: a skeleton alone is not worth a file.
    if (msModel_GetMeshCount(model) == 0) {
        MessageBoxA(nullptr, "The model is empty!  Nothing exported!", "Text Export", MB_ICONWARNING);
        return 0;
    }
    char szFile[QEV_PATH_BUFFER];
    if (!ChooseQevFile(ChooserDirection::Export, szFile)) return 0;
    return ExportQevFile(model, szFile);
}

int ExportQevFile(msModel* model, const char* path) {
    if (!model) return -1;
    PendingFile file;
    if (!OpenPendingFile(path, &file)) return -1;
    WriteModel(model, &file);
    // A failed write is remembered by the file: the commit then closes the
    // stream and removes the temporary file, leaving the chosen path as it was.
    if (!CommitPendingFile(&file)) return -1;
    // The host takes the model back only once the file is complete and in place.
    msModel_Destroy(model);
    return 0;
}
