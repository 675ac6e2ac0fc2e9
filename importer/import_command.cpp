#include "import_command.h"

#include <stdio.h>

#include "bone_merge.h"
#include "file_chooser.h"
#include "index_list.h"
#include "mesh_blocks.h"
#include "qev_reader.h"

int RunImportCommand(msModel* model) {
    if (!model) return -1;
    char szFile[QEV_PATH_BUFFER];
    if (!ChooseQevFile(ChooserDirection::Import, szFile)) return 0;
    return ImportQevFile(model, szFile);
}

int ImportQevFile(msModel* model, const char* path) { return ImportQevFileObserved(model, path, nullptr, nullptr); }

namespace {

void FillOutcome(const QevReader* reader, QevReadOutcome* outcome) {
    outcome->readWhole = !reader->spent;
    outcome->outOfMemory = reader->outOfMemory;
    outcome->stopPlace = reader->stopPlace;
    outcome->stopOffset = QevReader_Offset(reader);
    outcome->failedReadStart = reader->failedReadStart;
    outcome->endOffset = QevReader_Offset(reader);
}

}  // namespace

// A file that ends early is no error: whatever was read whole stays in the
// model and the result is 0, as for a complete file.
int ImportQevFileObserved(msModel* model, const char* path, const QevReadObserver* observer,
                          QevReadOutcome* outcome) {
    if (!model || !path) return -1;
    FILE* file = fopen(path, "rb");
    if (!file) return -1;

    QevReader reader;
    QevReader_Init(&reader, file);
    reader.observer = observer;
    IndexList meshTable;  // host index of each mesh block's mesh, for the bone merge
    IndexList_Init(&meshTable);

    int32_t version = 0;
    int32_t numMeshes = 0;
    QevReader_At(&reader, QEV_PLACE_VERSION, -1, 0);
    if (QevReader_ReadI32(&reader, &version)) {
        QevReader_Notify(&reader, nullptr, 0, version);
        QevReader_At(&reader, QEV_PLACE_MESH_COUNT, -1, 0);
        if (QevReader_ReadI32(&reader, &numMeshes)) {
            QevReader_Notify(&reader, nullptr, 0, numMeshes);
            ReadMeshBlocks(&reader, model, version, numMeshes, &meshTable);
        }
    }
    MergeBones(&reader, model, version, &meshTable);
    if (outcome) FillOutcome(&reader, outcome);

    fclose(file);
    IndexList_Release(&meshTable);
    return 0;
}
