// The QEV model file, versions 1 to 4, in one place for the reader and the writer.
//
//   file        version:int32  numMeshes:int32  mesh block * numMeshes
//               numBones:int32  bone record * numBones
//   mesh block  numVertices:int32  vertex record * numVertices
//               numTriangles:int32  triangle record * numTriangles
//               [v>=3] numGeostates:int32  geostate block * numGeostates
//               [v>=4] strLen:uint8  groupName:bytes[strLen]
//   vertex      position:float32[3]  vertexId:int32  [v>=2] tagVal:int32
//               boneAssignments:int32[4]  boneWeights:float32[4]
//   triangle    three corner records: vertexIndex:uint16 normal:float32[3] uvCoord:float32[2]
//   geostate    geostateFaceIndex:int32  triangle record * geostateFaceIndex
//   bone        strLen:uint8  boneName:bytes[strLen]
//               [v>=2] bonePosition:float32[3]  boneRotation:float32[3]
//
// Little-endian, packed without gaps, no magic and no checksum. Every count is
// a signed int32 and a count of 0 or less means no element. The version is
// compared as a signed number: below 2 reads as version 1, above 4 as version 4.
// Encoding goes through explicit byte shifts, never through struct layout or
// the machine's byte order.
#ifndef QEV_FORMAT_H
#define QEV_FORMAT_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

namespace qev {

const int32_t kWrittenVersion = 4;

// Record sizes in bytes.
const size_t kVertexRecordSize = 52;          // version 2 and later
const size_t kVertexRecordSizeVersion1 = 48;  // no tagVal
const size_t kCornerRecordSize = 22;
const size_t kTriangleRecordSize = 3 * kCornerRecordSize;
const size_t kBonePoseSize = 24;  // bonePosition and boneRotation, version 2 and later

// Offsets inside a vertex record.
const size_t kVertexPositionOffset = 0;
const size_t kVertexIdOffset = 12;
const size_t kVertexTagOffset = 16;  // version 2 and later
inline size_t VertexBoneAssignmentsOffset(bool hasTag) { return hasTag ? 20 : 16; }
inline size_t VertexBoneWeightsOffset(bool hasTag) { return hasTag ? 36 : 32; }

// Offsets inside a corner record.
const size_t kCornerVertexIndexOffset = 0;
const size_t kCornerNormalOffset = 2;
const size_t kCornerTexCoordOffset = 14;

// Names: a stored name is one length byte and that many bytes, no terminator.
const size_t kMaxStoredName = 255;
const size_t kMaxWrittenMeshName = 255;  // host names fetched into 256 bytes
const size_t kMaxReadMeshName = 127;     // the reader keeps this many bytes
const size_t kMaxBoneName = 99;          // both sides: 100-byte buffers

// Presence rules, by the signed version field.
inline bool HasTagVal(int32_t version) { return version >= 2; }
inline bool HasBonePose(int32_t version) { return version >= 2; }
inline bool HasGeostates(int32_t version) { return version >= 3; }
inline bool HasMeshName(int32_t version) { return version >= 4; }

inline size_t VertexRecordSize(int32_t version) {
    return HasTagVal(version) ? kVertexRecordSize : kVertexRecordSizeVersion1;
}

// Little-endian encoding into and out of byte buffers.
inline void PutU16(unsigned char* p, uint16_t v) {
    p[0] = (unsigned char)(v & 0xFFu);
    p[1] = (unsigned char)(v >> 8);
}
inline void PutU32(unsigned char* p, uint32_t v) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    // On a little-endian machine the file's bytes are the value's own: one
    // copy. The compiler merges the shifted byte stores of neighbouring fields
    // badly, and on a large export they cost more than the rest of the encoding.
    memcpy(p, &v, sizeof(v));
#else
    p[0] = (unsigned char)(v & 0xFFu);
    p[1] = (unsigned char)((v >> 8) & 0xFFu);
    p[2] = (unsigned char)((v >> 16) & 0xFFu);
    p[3] = (unsigned char)(v >> 24);
#endif
}
inline void PutI32(unsigned char* p, int32_t v) { PutU32(p, (uint32_t)v); }
inline void PutF32(unsigned char* p, float v) {
    uint32_t bits;
    memcpy(&bits, &v, sizeof(bits));
    PutU32(p, bits);
}

inline uint16_t GetU16(const unsigned char* p) { return (uint16_t)(p[0] | (p[1] << 8)); }
inline uint32_t GetU32(const unsigned char* p) {
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}
inline int32_t GetI32(const unsigned char* p) { return (int32_t)GetU32(p); }
inline float GetF32(const unsigned char* p) {
    uint32_t bits = GetU32(p);
    float v;
    memcpy(&v, &bits, sizeof(v));
    return v;
}

}  // namespace qev

#endif
