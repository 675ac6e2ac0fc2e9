// Forward-only buffered reading of a QEV stream that stops at the first short read.
//
// The file carries no redundancy, so the only sign of a damaged or cut file is
// that it ends early. Once a read comes up short the reader is spent: every
// later read fails too, so the import never builds anything from bytes that
// are not in the file and never walks on through a count that lies past its end.
#ifndef QEV_READER_H
#define QEV_READER_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

enum { QEV_READ_BUFFER = 16384 };

struct QevReader {
    FILE* file;
    size_t next;  // first unread byte in buffer
    size_t end;   // one past the last valid byte in buffer
    bool spent;   // a read came up short: nothing more is read
    unsigned char buffer[QEV_READ_BUFFER];

    // One reader per stream: a copy would read on from the same file out of step.
    QevReader() = default;
    QevReader(const QevReader&) = delete;
    QevReader& operator=(const QevReader&) = delete;
};

void QevReader_Init(QevReader* reader, FILE* file);

// Copies the next size bytes into out. Returns false, and spends the reader,
// when fewer than size bytes are left; out then holds nothing usable.
bool QevReader_Read(QevReader* reader, void* out, size_t size);

bool QevReader_ReadI32(QevReader* reader, int32_t* value);
bool QevReader_ReadU8(QevReader* reader, uint8_t* value);

// Reads a stored name (strLen, then strLen bytes) and keeps as many leading
// bytes as fit in name with its terminator; the rest is read past, so the
// stream stays in step. On a short read name is left as it was.
bool QevReader_ReadName(QevReader* reader, char* name, size_t nameSize);

// Ends reading for good, as a short read would (used when memory runs out).
void QevReader_Stop(QevReader* reader);

#endif
