// glTF names are UTF-8; QEV names are bytes, read as Latin-1.
#ifndef QEV_GLTF_NAME_TEXT_H
#define QEV_GLTF_NAME_TEXT_H

#include <string>

namespace gltfqev {

// Latin-1 bytes of a UTF-8 name; a code point above U+00FF, U+0000 or bytes
// that are not UTF-8 become '?'. Returns false when anything was replaced.
bool NameToLatin1(const std::string& utf8, std::string& bytes);

}  // namespace gltfqev

#endif
