#include "qev_reader.h"

#include <string.h>

#include "qev_format.h"

void QevReader_Init(QevReader* reader, FILE* file) {
    reader->file = file;
    reader->next = 0;
    reader->end = 0;
    reader->spent = false;
    reader->stoppedEarly = false;
    reader->bufferOffset = 0;
    reader->failedReadStart = 0;
    reader->place.kind = QEV_PLACE_VERSION;
    reader->place.block = -1;
    reader->place.geostate = -1;
    reader->place.item = -1;
    reader->place.count = 0;
    reader->place.start = 0;
    reader->stopPlace = reader->place;
    reader->observer = nullptr;
    reader->nameLength = 0;
}

bool QevReader_Read(QevReader* reader, void* out, size_t size) {
    if (reader->spent) return false;
    unsigned char* to = (unsigned char*)out;
    const uint64_t start = QevReader_Offset(reader);
    while (size > 0) {
        if (reader->next == reader->end) {
            // One fread per buffer, not per field: records are decoded from memory.
            reader->bufferOffset += reader->end;
            reader->next = 0;
            reader->end = fread(reader->buffer, 1, sizeof(reader->buffer), reader->file);
            if (reader->end == 0) {
                reader->spent = true;
                reader->failedReadStart = start;
                reader->stopPlace = reader->place;
                return false;
            }
        }
        size_t chunk = reader->end - reader->next;
        if (chunk > size) chunk = size;
        memcpy(to, reader->buffer + reader->next, chunk);
        reader->next += chunk;
        to += chunk;
        size -= chunk;
    }
    return true;
}

bool QevReader_ReadI32(QevReader* reader, int32_t* value) {
    unsigned char bytes[4];
    if (!QevReader_Read(reader, bytes, sizeof(bytes))) return false;
    *value = qev::GetI32(bytes);
    return true;
}

bool QevReader_ReadU8(QevReader* reader, uint8_t* value) {
    return QevReader_Read(reader, value, 1);
}

bool QevReader_ReadName(QevReader* reader, char* name, size_t nameSize) {
    uint8_t strLen = 0;
    if (!QevReader_ReadU8(reader, &strLen)) return false;
    if (!QevReader_Read(reader, reader->name, strLen)) return false;
    reader->nameLength = strLen;
    if (nameSize == 0) return true;
    const size_t kept = strLen < nameSize - 1 ? strLen : nameSize - 1;
    memcpy(name, reader->name, kept);
    name[kept] = '\0';
    return true;
}

void QevReader_Stop(QevReader* reader) {
    if (!reader->spent) {
        reader->stoppedEarly = true;
        reader->failedReadStart = QevReader_Offset(reader);
        reader->stopPlace = reader->place;
    }
    reader->spent = true;
}
