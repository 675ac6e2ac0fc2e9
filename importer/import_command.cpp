#include "import_command.h"

#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <new>

#include "bone_merge.h"
#include "file_chooser.h"
#include "index_list.h"
#include "mesh_blocks.h"
#include "qev_reader.h"

namespace {

// fopen opens a folder on some systems and not on others; only a regular file
// is imported. Asked of the open stream, so the file checked is the file read.
bool IsRegularFile(FILE* file) {
#ifdef _WIN32
    struct _stat status;
    return _fstat(_fileno(file), &status) == 0 && (status.st_mode & _S_IFMT) == _S_IFREG;
#else
    struct stat status;
    return fstat(fileno(file), &status) == 0 && S_ISREG(status.st_mode);
#endif
}

}  // namespace

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
    outcome->stoppedEarly = reader->stoppedEarly;
    outcome->stopPlace = reader->stopPlace;
    outcome->endOffset = QevReader_Offset(reader);
    outcome->failedReadStart = reader->failedReadStart;
}

}  // namespace

// A file that ends early is no error: whatever was read whole stays in the
// model and the result is 0, as for a complete file. A host that refuses an
// item ends the reading the same way, but that is a failure: -1.
int ImportQevFileObserved(msModel* model, const char* path, const QevReadObserver* observer,
                          QevReadOutcome* outcome) {
    if (!model || !path) return -1;
    FILE* file = fopen(path, "rb");
    if (!file) return -1;
    // The reader's buffer is on the heap: the host's stack is not ours to size.
    void* readerMemory = IsRegularFile(file) ? malloc(sizeof(QevReader)) : NULL;
    if (!readerMemory) {
        fclose(file);
        return -1;
    }
    QevReader* reader = new (readerMemory) QevReader;
    QevReader_Init(reader, file);
    reader->observer = observer;
    IndexList meshTable;  // host index of each mesh block's mesh, for the bone merge
    IndexList_Init(&meshTable);

    int32_t version = 0;
    int32_t numMeshes = 0;
    bool hostAccepted = true;
    QevReader_At(reader, QEV_PLACE_VERSION, -1, 0);
    if (QevReader_ReadI32(reader, &version)) {
        QevReader_Notify(reader, nullptr, 0, version);
        QevReader_At(reader, QEV_PLACE_MESH_COUNT, -1, 0);
        if (QevReader_ReadI32(reader, &numMeshes)) {
            QevReader_Notify(reader, nullptr, 0, numMeshes);
            hostAccepted = ReadMeshBlocks(reader, model, version, numMeshes, &meshTable);
        }
    }
    // Also after a refusal: the bones are then not read, and nothing is merged.
    if (!MergeBones(reader, model, version, &meshTable)) hostAccepted = false;
    if (outcome) FillOutcome(reader, outcome);

    fclose(file);
    IndexList_Release(&meshTable);
    reader->~QevReader();
    free(readerMemory);
    return hostAccepted ? 0 : -1;
}
