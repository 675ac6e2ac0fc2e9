#include "gltf_conventions.h"

#include <cmath>

namespace gltfqev {

const char kExtrasKey[] = "qev";
const char kRootNodeName[] = "qev_root";

const char kVertexAttribute[] = "_QEV_VERTEX";
const char kBonesAttribute[] = "_QEV_BONES";
const char kWeightsAttribute[] = "_QEV_WEIGHTS";
const char kExtraAttribute[] = "_QEV_EXTRA";
const char kNormalAttribute[] = "_QEV_NORMAL";
const char kPositionAttribute[] = "_QEV_POSITION";
const char kTexCoordAttribute[] = "_QEV_TEXCOORD";

namespace {

double& At(Matrix& m, int row, int column) { return m[column * 4 + row]; }
double At(const Matrix& m, int row, int column) { return m[column * 4 + row]; }

Quaternion Product(const Quaternion& a, const Quaternion& b) {
    return {a[3] * b[0] + a[0] * b[3] + a[1] * b[2] - a[2] * b[1],
            a[3] * b[1] - a[0] * b[2] + a[1] * b[3] + a[2] * b[0],
            a[3] * b[2] + a[0] * b[1] - a[1] * b[0] + a[2] * b[3],
            a[3] * b[3] - a[0] * b[0] - a[1] * b[1] - a[2] * b[2]};
}

}  // namespace

float ToFloat(double value) {
    const double largest = 3.4028234663852886e38;  // FLT_MAX
    if (value > largest) return value < 3.4028235677973366e38 ? 3.4028234663852886e38f : INFINITY;
    if (value < -largest) return value > -3.4028235677973366e38 ? -3.4028234663852886e38f : -INFINITY;
    return (float)value;
}

Matrix Identity() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

Quaternion EulerXyzToQuaternion(const double angles[3]) {
    const Quaternion x = {std::sin(angles[0] / 2), 0, 0, std::cos(angles[0] / 2)};
    const Quaternion y = {0, std::sin(angles[1] / 2), 0, std::cos(angles[1] / 2)};
    const Quaternion z = {0, 0, std::sin(angles[2] / 2), std::cos(angles[2] / 2)};
    // X acts first, so it stands rightmost.
    Quaternion q = Product(z, Product(y, x));
    const double length = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    for (double& c : q) c /= length;
    return q;
}

Matrix PoseMatrix(const double translation[3], const Quaternion& rotation) {
    double x = rotation[0], y = rotation[1], z = rotation[2], w = rotation[3];
    const double length = std::sqrt(x * x + y * y + z * z + w * w);
    if (length > 0) x /= length, y /= length, z /= length, w /= length;
    Matrix m = Identity();
    At(m, 0, 0) = 1 - 2 * (y * y + z * z);
    At(m, 0, 1) = 2 * (x * y - z * w);
    At(m, 0, 2) = 2 * (x * z + y * w);
    At(m, 1, 0) = 2 * (x * y + z * w);
    At(m, 1, 1) = 1 - 2 * (x * x + z * z);
    At(m, 1, 2) = 2 * (y * z - x * w);
    At(m, 2, 0) = 2 * (x * z - y * w);
    At(m, 2, 1) = 2 * (y * z + x * w);
    At(m, 2, 2) = 1 - 2 * (x * x + y * y);
    for (int r = 0; r < 3; ++r) At(m, r, 3) = translation[r];
    return m;
}

Matrix NodeMatrix(const double translation[3], const double rotation[4], const double scale[3]) {
    Matrix m = PoseMatrix(translation, {rotation[0], rotation[1], rotation[2], rotation[3]});
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r) At(m, r, c) *= scale[c];
    return m;
}

Matrix InverseRigid(const Matrix& m) {
    Matrix inverse = Identity();
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) At(inverse, r, c) = At(m, c, r);
    for (int r = 0; r < 3; ++r) {
        double t = 0;
        for (int k = 0; k < 3; ++k) t -= At(m, k, r) * At(m, k, 3);
        At(inverse, r, 3) = t;
    }
    return inverse;
}

bool Inverse(const Matrix& m, Matrix& inverse) {
    // Gauss-Jordan with partial pivoting on [m | I].
    double a[4][8];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            a[r][c] = At(m, r, c);
            a[r][c + 4] = r == c ? 1 : 0;
        }
    for (int c = 0; c < 4; ++c) {
        int pivot = c;
        for (int r = c + 1; r < 4; ++r)
            if (std::fabs(a[r][c]) > std::fabs(a[pivot][c])) pivot = r;
        if (!(std::fabs(a[pivot][c]) > 1e-300)) return false;
        if (pivot != c)
            for (int k = 0; k < 8; ++k) std::swap(a[c][k], a[pivot][k]);
        const double p = a[c][c];
        for (int k = 0; k < 8; ++k) a[c][k] /= p;
        for (int r = 0; r < 4; ++r) {
            if (r == c) continue;
            const double f = a[r][c];
            for (int k = 0; k < 8; ++k) a[r][k] -= f * a[c][k];
        }
    }
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) At(inverse, r, c) = a[r][c + 4];
    for (double v : inverse)
        if (!std::isfinite(v)) return false;
    return true;
}

Matrix Multiply(const Matrix& a, const Matrix& b) {
    Matrix m{};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) sum += At(a, r, k) * At(b, k, c);
            At(m, r, c) = sum;
        }
    return m;
}

void DecomposePose(const Matrix& m, double position[3], double angles[3]) {
    for (int r = 0; r < 3; ++r) position[r] = At(m, r, 3);
    double rot[3][3];
    for (int c = 0; c < 3; ++c) {
        double length = 0;
        for (int r = 0; r < 3; ++r) length += At(m, r, c) * At(m, r, c);
        length = std::sqrt(length);
        for (int r = 0; r < 3; ++r) rot[r][c] = length > 0 ? At(m, r, c) / length : (r == c ? 1 : 0);
    }
    // rot = Rz(c) * Ry(b) * Rx(a): rot[2][0] = -sin b.
    const double sinY = -rot[2][0];
    if (std::fabs(sinY) < 1 - 1e-12) {
        angles[0] = std::atan2(rot[2][1], rot[2][2]);
        angles[1] = std::asin(sinY);
        angles[2] = std::atan2(rot[1][0], rot[0][0]);
    } else {
        // Gimbal lock: only a sum of the X and Z angles is defined; Z takes none of it.
        angles[0] = std::atan2(-rot[1][2], rot[1][1]);
        angles[1] = sinY > 0 ? M_PI / 2 : -M_PI / 2;
        angles[2] = 0;
    }
}

bool BoneNodePose(const float position[3], const float rotation[3], double translation[3], Quaternion& quaternion) {
    bool finite = true;
    for (int k = 0; k < 3; ++k) finite = finite && std::isfinite(position[k]) && std::isfinite(rotation[k]);
    const double angles[3] = {finite ? (double)rotation[0] : 0, finite ? (double)rotation[1] : 0,
                              finite ? (double)rotation[2] : 0};
    quaternion = EulerXyzToQuaternion(angles);
    for (double& c : quaternion) c = (float)c;
    for (int k = 0; k < 3; ++k) translation[k] = finite ? (double)position[k] : 0;
    return finite;
}

void TransformPoint(const Matrix& m, const double in[3], double out[3]) {
    for (int r = 0; r < 3; ++r)
        out[r] = At(m, r, 0) * in[0] + At(m, r, 1) * in[1] + At(m, r, 2) * in[2] + At(m, r, 3);
}

Matrix NormalMatrix(const Matrix& m) {
    Matrix inverse;
    if (!Inverse(m, inverse)) return m;
    Matrix transposed = Identity();
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) At(transposed, r, c) = At(inverse, c, r);
    return transposed;
}

void TransformNormal(const Matrix& normalMatrix, const double in[3], double out[3]) {
    for (int r = 0; r < 3; ++r)
        out[r] = At(normalMatrix, r, 0) * in[0] + At(normalMatrix, r, 1) * in[1] + At(normalMatrix, r, 2) * in[2];
    const double length = std::sqrt(out[0] * out[0] + out[1] * out[1] + out[2] * out[2]);
    if (length > 0)
        for (int r = 0; r < 3; ++r) out[r] /= length;
}

}  // namespace gltfqev
