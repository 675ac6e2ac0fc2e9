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

// A file that ends early is no error: whatever was read whole stays in the
// model and the result is 0, as for a complete file.
int ImportQevFile(msModel* model, const char* path) {
    if (!model || !path) return -1;
    FILE* file = fopen(path, "rb");
    if (!file) return -1;

    QevReader reader;
    QevReader_Init(&reader, file);
    IndexList meshTable;  // host index of each mesh block's mesh, for the bone merge
    IndexList_Init(&meshTable);

    int32_t version = 0;
    int32_t numMeshes = 0;
    if (QevReader_ReadI32(&reader, &version) && QevReader_ReadI32(&reader, &numMeshes))
        ReadMeshBlocks(&reader, model, version, numMeshes, &meshTable);
    MergeBones(&reader, model, version, &meshTable);

    fclose(file);
    IndexList_Release(&meshTable);
    return 0;
}
