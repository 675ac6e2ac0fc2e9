#include "byte_encoding.h"

#include <cctype>
#include <cstring>
#include <stdexcept>

namespace testsupport {

void AppendI32(Bytes& bytes, int32_t value) {
    const uint32_t u = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(u >> shift));
}

void AppendU16(Bytes& bytes, uint16_t value) {
    bytes.push_back(static_cast<uint8_t>(value));
    bytes.push_back(static_cast<uint8_t>(value >> 8));
}

void AppendU8(Bytes& bytes, uint8_t value) { bytes.push_back(value); }

void AppendF32(Bytes& bytes, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    AppendI32(bytes, static_cast<int32_t>(bits));
}

void PatchI32(Bytes& bytes, size_t offset, int32_t value) {
    const uint32_t u = static_cast<uint32_t>(value);
    for (int n = 0; n < 4; ++n) bytes.at(offset + n) = static_cast<uint8_t>(u >> (8 * n));
}

Bytes FromHex(const std::string& hex) {
    Bytes bytes;
    std::string digits;
    for (char c : hex) {
        if (std::isspace(static_cast<unsigned char>(c))) continue;
        if (!std::isxdigit(static_cast<unsigned char>(c))) throw std::invalid_argument("not a hex digit");
        digits += c;
    }
    if (digits.size() % 2) throw std::invalid_argument("odd number of hex digits");
    for (size_t i = 0; i < digits.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
    return bytes;
}

std::string ToHex(const Bytes& bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i) text += (i % 16 == 0) ? '\n' : ' ';
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 15];
    }
    return text;
}

}  // namespace testsupport
