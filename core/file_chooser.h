// The common file dialog as both commands set it up.
#ifndef QEV_FILE_CHOOSER_H
#define QEV_FILE_CHOOSER_H

enum class ChooserDirection { Import, Export };

enum { QEV_PATH_BUFFER = 256 };

// Asks the user for a file. Returns true with the full path in szFile, or
// false when nothing was chosen (cancel or a failed dialog).
bool ChooseQevFile(ChooserDirection direction, char (&szFile)[QEV_PATH_BUFFER]);

#endif
