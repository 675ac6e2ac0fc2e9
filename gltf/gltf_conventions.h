// How QEV values sit in glTF, in one place for the writer and the reader.
//
// Axes and units are carried as they are (QEV leaves both to the host). A bone's
// three rotation values are angles in radians applied about X, then Y, then Z,
// so its matrix is T(position) * Rz * Ry * Rx. Matrices here are glTF's:
// column-major, 16 doubles.
#ifndef QEV_GLTF_CONVENTIONS_H
#define QEV_GLTF_CONVENTIONS_H

#include <array>

namespace gltfqev {

using Matrix = std::array<double, 16>;
using Quaternion = std::array<double, 4>;  // x, y, z, w as glTF stores it

// The extras object every glTF item written from a model carries, under this key.
extern const char kExtrasKey[];
extern const char kRootNodeName[];

// Custom vertex attributes for what glTF's own attributes cannot hold exactly.
// All are unsigned 32-bit values: indices, int32 and float bit patterns.
extern const char kVertexAttribute[];    // SCALAR: the QEV vertex index of the glTF vertex
extern const char kBonesAttribute[];     // VEC4: own bone index, then the three slots
extern const char kWeightsAttribute[];   // VEC3: the three weight percentages
extern const char kExtraAttribute[];     // VEC2: the two extra values
extern const char kNormalAttribute[];    // VEC3: float bits of normals that are not unit length
extern const char kPositionAttribute[];  // VEC3: float bits, where a position is not finite
extern const char kTexCoordAttribute[];  // VEC2: float bits, where a coordinate is not finite

// A double as the nearest float, beyond float's range the infinity of its sign
// (a plain conversion of such a value is undefined).
float ToFloat(double value);

// The rotation of X, then Y, then Z by the given angles, normalised.
Quaternion EulerXyzToQuaternion(const double angles[3]);
// Translation and rotation to a matrix (no scale).
Matrix PoseMatrix(const double translation[3], const Quaternion& rotation);
// The inverse of a rotation-and-translation matrix: transposed rotation, last row exactly 0 0 0 1.
Matrix InverseRigid(const Matrix& m);
// General inverse; false when the matrix cannot be inverted.
bool Inverse(const Matrix& m, Matrix& inverse);
Matrix Multiply(const Matrix& a, const Matrix& b);
Matrix Identity();
Matrix NodeMatrix(const double translation[3], const double rotation[4], const double scale[3]);

// A bone's node translation and rotation as written, rounded to the floats the
// node stores. Non-finite values cannot stand in glTF: such a bone sits at the
// origin unrotated (its exact values travel in extras) and false is returned.
bool BoneNodePose(const float position[3], const float rotation[3], double translation[3], Quaternion& quaternion);

// Position and X-then-Y-then-Z angles of a matrix; the scale of its columns is taken out.
void DecomposePose(const Matrix& m, double position[3], double angles[3]);

void TransformPoint(const Matrix& m, const double in[3], double out[3]);
// Direction through the inverse transpose, normalised (zero stays zero).
void TransformNormal(const Matrix& normalMatrix, const double in[3], double out[3]);
Matrix NormalMatrix(const Matrix& m);

}  // namespace gltfqev

#endif
