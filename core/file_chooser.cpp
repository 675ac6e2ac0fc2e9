#include "file_chooser.h"

#include <cstring>

#include "win32_api.h"

namespace {
// Display text and pattern pairs, each NUL-terminated, closed by an empty string.
const char kFilterList[] = "QEV Object (*.qev)\0*.qev\0All Files (*.*)\0*.*\0";
const char kDefaultExtension[] = "qev";
}  // namespace

bool ChooseQevFile(ChooserDirection direction, char (&szFile)[QEV_PATH_BUFFER]) {
    OPENFILENAMEA ofn;
    char szDefExt[32];
    char szFilter[128];
    static_assert(sizeof(kFilterList) <= sizeof(szFilter), "filter list must fit");

    std::memset(&ofn, 0, sizeof(ofn));
    std::memset(szDefExt, 0, sizeof(szDefExt));
    std::memcpy(szDefExt, kDefaultExtension, sizeof(kDefaultExtension) - 1);
    std::memset(szFilter, 0, sizeof(szFilter));
    std::memcpy(szFilter, kFilterList, sizeof(kFilterList));
    szFile[0] = '\0';

    const bool importing = direction == ChooserDirection::Import;
    ofn.lStructSize = sizeof(ofn);
    ofn.lpstrFilter = szFilter;
    ofn.lpstrFile = szFile;
    ofn.nMaxFile = QEV_PATH_BUFFER;
    ofn.lpstrTitle = importing ? "Import QEV Object" : "Export QEV Object";
    ofn.Flags = importing ? (OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY)
                          : (OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT);
    ofn.lpstrDefExt = szDefExt;

    const BOOL chosen = importing ? GetOpenFileNameA(&ofn) : GetSaveFileNameA(&ofn);
    return chosen != 0;
}
