// Little-endian field encoding for the hand-written QEV files of the tests.
//
// Every field is spelled out with explicit byte shifts, independent of the
// host's byte order and sharing no code with the importer or the exporter, so
// a fault in either is not mirrored here.
#ifndef QEV_TEST_BYTE_ENCODING_H
#define QEV_TEST_BYTE_ENCODING_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

using Bytes = std::vector<uint8_t>;

void AppendI32(Bytes& bytes, int32_t value);
void AppendU16(Bytes& bytes, uint16_t value);
void AppendU8(Bytes& bytes, uint8_t value);
void AppendF32(Bytes& bytes, float value);  // the IEEE-754 bits as an int32

// Overwrites the four bytes at offset with a little-endian int32.
void PatchI32(Bytes& bytes, size_t offset, int32_t value);

// Hex digits, blanks and line breaks ignored: "04 00 00 00" -> {4, 0, 0, 0}.
// Any other character or an odd number of digits throws, so a typo in an
// expected layout fails its test instead of shifting every byte after it.
Bytes FromHex(const std::string& hex);
// Upper-case pairs, 16 to a line: a failed comparison shows the offset.
std::string ToHex(const Bytes& bytes);

// The primitive fields for a builder of whole records; Builder derives from
// FieldWriter<Builder> so that every call chains on the builder itself.
template <typename Builder>
class FieldWriter {
public:
    Builder& I32(int32_t v) { AppendI32(bytes_, v); return self(); }
    Builder& U16(uint16_t v) { AppendU16(bytes_, v); return self(); }
    Builder& U8(uint8_t v) { AppendU8(bytes_, v); return self(); }
    Builder& F32(float v) { AppendF32(bytes_, v); return self(); }
    // Bytes as they are, with no length before them.
    Builder& Raw(const std::string& text) {
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        return self();
    }

    size_t size() const { return bytes_.size(); }

protected:
    Bytes bytes_;

private:
    Builder& self() { return static_cast<Builder&>(*this); }
};

}  // namespace testsupport

#endif
