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

#include "qev_format.h"
#include "read_place.h"

enum { QEV_READ_BUFFER = 16384 };

struct QevReader {
    FILE* file;
    size_t next;  // first unread byte in buffer
    size_t end;   // one past the last valid byte in buffer
    bool spent;   // a read came up short: nothing more is read
    bool stoppedEarly;          // spent by QevReader_Stop rather than by the file's end
    uint64_t bufferOffset;      // file offset of buffer[0]
    uint64_t failedReadStart;   // where the read that came up short started
    QevPlace place;             // what is being read; kept current by the callers
    QevPlace stopPlace;         // the place when the reader was spent
    const QevReadObserver* observer;  // null in the plug-in
    uint8_t nameLength;         // the last stored name read whole, before any cut
    unsigned char name[qev::kMaxStoredName];
    unsigned char buffer[QEV_READ_BUFFER];

    // One reader per stream: a copy would read on from the same file out of step.
    QevReader() = default;
    QevReader(const QevReader&) = delete;
    QevReader& operator=(const QevReader&) = delete;
};

void QevReader_Init(QevReader* reader, FILE* file);

// The offset of the next byte to be read.
inline uint64_t QevReader_Offset(const QevReader* reader) { return reader->bufferOffset + reader->next; }

// Enters the place of the field or record about to be read.
inline void QevReader_At(QevReader* reader, QevPlaceKind kind, int32_t item, int32_t count) {
    reader->place.kind = kind;
    reader->place.item = item;
    reader->place.count = count;
    reader->place.start = QevReader_Offset(reader);
}

// Hands the field or record just read whole at the current place to the observer, if any.
inline void QevReader_Notify(const QevReader* reader, const unsigned char* bytes, size_t size, int32_t value) {
    if (reader->observer) reader->observer->onRead(reader->observer->context, &reader->place, bytes, size, value);
}

// Copies the next size bytes into out. Returns false, and spends the reader,
// when fewer than size bytes are left; out then holds nothing usable.
bool QevReader_Read(QevReader* reader, void* out, size_t size);

bool QevReader_ReadI32(QevReader* reader, int32_t* value);
bool QevReader_ReadU8(QevReader* reader, uint8_t* value);

// Reads a stored name (strLen, then strLen bytes) and keeps as many leading
// bytes as fit in name with its terminator; the rest is read past, so the
// stream stays in step. On a short read name is left as it was. The stored
// bytes, uncut, stay in reader->name until the next name is read.
bool QevReader_ReadName(QevReader* reader, char* name, size_t nameSize);

// Ends reading for good, as a short read would (when memory runs out or the
// host refuses an item); the place it stopped at is kept.
void QevReader_Stop(QevReader* reader);

#endif
