// tinygltf's implementation, compiled from Debian's header into the fuzz
// build only: there the fuzzer needs the parser's branches instrumented like
// our own, which the shared library is not. Images are never decoded
// (TINYGLTF_NO_STB_IMAGE and _WRITE are set for every file of the library).
#define TINYGLTF_IMPLEMENTATION
#include <tiny_gltf.h>
