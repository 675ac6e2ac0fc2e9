#include "model_adjust.h"

#include "gltf_conventions.h"

void AdjustModel(msModel& model, const GltfOptions& options) {
    if (options.scale != 1.0) {
        for (msMesh& mesh : model.meshes)
            for (msVertex& vertex : mesh.vertices)
                for (float& p : vertex.position) p = gltfqev::ToFloat(p * options.scale);
        for (msBone& bone : model.bones)
            for (float& p : bone.position) p = gltfqev::ToFloat(p * options.scale);
    }
    if (options.flipV) {
        for (msMesh& mesh : model.meshes)
            for (msTriangle& triangle : mesh.triangles)
                for (auto& uv : triangle.ex.texCoords) uv[1] = (float)(1.0 - (double)uv[1]);
    }
}
