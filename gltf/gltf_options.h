// What a user may change about a conversion; the defaults carry every value unchanged.
#ifndef QEV_GLTF_OPTIONS_H
#define QEV_GLTF_OPTIONS_H

struct GltfOptions {
    // Uniform factor on vertex and bone positions.
    double scale = 1.0;
    // Texture coordinate v becomes 1 - v (for tools that put the origin at the other edge).
    bool flipV = false;
};

#endif
