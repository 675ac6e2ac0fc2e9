#include "export_test_support.h"

namespace exporttest {

msVertex& AddVertex(msMesh& mesh, float x, float y, float z) {
    msVertex& vertex = mesh.vertices.emplace_back();
    vertex.position[0] = x;
    vertex.position[1] = y;
    vertex.position[2] = z;
    return vertex;
}

msTriangle& AddTriangle(msMesh& mesh, uint16_t a, uint16_t b, uint16_t c) {
    msTriangle& triangle = mesh.triangles.emplace_back();
    triangle.vertexIndices[0] = a;
    triangle.vertexIndices[1] = b;
    triangle.vertexIndices[2] = c;
    return triangle;
}

void SetWeights(msVertex& vertex, int32_t first, int32_t second, int32_t third) {
    vertex.ex.boneWeights[0] = first;
    vertex.ex.boneWeights[1] = second;
    vertex.ex.boneWeights[2] = third;
}

}  // namespace exporttest
