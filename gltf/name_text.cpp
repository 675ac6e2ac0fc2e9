#include "name_text.h"

namespace gltfqev {

bool NameToLatin1(const std::string& utf8, std::string& bytes) {
    bytes.clear();
    bool exact = true;
    const size_t size = utf8.size();
    for (size_t i = 0; i < size;) {
        const unsigned char lead = (unsigned char)utf8[i];
        int length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
        bool valid = length > 0 && i + length <= size;
        uint32_t code = length == 1 ? lead : length == 2 ? (lead & 0x1F) : length == 3 ? (lead & 0x0F) : (lead & 0x07);
        for (int k = 1; valid && k < length; ++k) {
            const unsigned char next = (unsigned char)utf8[i + k];
            valid = (next >> 6) == 2;
            code = (code << 6) | (next & 0x3F);
        }
        if (valid && code != 0 && code <= 0xFF) {
            bytes.push_back((char)code);
        } else {
            bytes.push_back('?');
            exact = false;
        }
        i += valid ? length : 1;
    }
    return exact;
}

}  // namespace gltfqev
