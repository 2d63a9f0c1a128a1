#include "saver/framework/sglmath.h"

#include <cmath>
#include <cstring>

namespace sgl {

namespace {

const double kPi = 3.14159265358979323846;

double& At(double m[16], int row, int col)
{
    return m[col * 4 + row];
}

double At(const double m[16], int row, int col)
{
    return m[col * 4 + row];
}

void Normalize(double v[3])
{
    double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length == 0.0)
        return;
    v[0] /= length;
    v[1] /= length;
    v[2] /= length;
}

void Cross(const double a[3], const double b[3], double out[3])
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsLetterOrDigit(char c)
{
    c = Lower(c);
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// Position of "3dfx" in text, ignoring case; -1 when absent.
long Find3dfx(const char* text, long from)
{
    const char* const word = "3dfx";
    for (long i = from; text[i]; ++i) {
        int k = 0;
        while (k < 4 && text[i + k] && Lower(text[i + k]) == word[k])
            ++k;
        if (k == 4)
            return i;
    }
    return -1;
}

} // namespace

void IdentityMatrix(double m[16])
{
    for (int i = 0; i < 16; ++i)
        m[i] = (i % 5 == 0) ? 1.0 : 0.0;
}

void MultiplyMatrix(const double a[16], const double b[16], double out[16])
{
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k)
                sum += At(a, row, k) * At(b, k, col);
            At(out, row, col) = sum;
        }
}

bool InvertMatrix(const double m[16], double out[16])
{
    // Gauss-Jordan elimination with partial pivoting on [m | I].
    double a[4][8];
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col) {
            a[row][col] = At(m, row, col);
            a[row][col + 4] = row == col ? 1.0 : 0.0;
        }
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int row = col + 1; row < 4; ++row)
            if (std::fabs(a[row][col]) > std::fabs(a[pivot][col]))
                pivot = row;
        if (a[pivot][col] == 0.0)
            return false;
        if (pivot != col)
            for (int k = 0; k < 8; ++k) {
                double t = a[col][k];
                a[col][k] = a[pivot][k];
                a[pivot][k] = t;
            }
        double scale = a[col][col];
        for (int k = 0; k < 8; ++k)
            a[col][k] /= scale;
        for (int row = 0; row < 4; ++row) {
            if (row == col)
                continue;
            double factor = a[row][col];
            for (int k = 0; k < 8; ++k)
                a[row][k] -= factor * a[col][k];
        }
    }
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            At(out, row, col) = a[row][col + 4];
    return true;
}

bool PerspectiveMatrix(double fovy, double aspect, double zNear, double zFar, double m[16])
{
    double half = fovy / 2.0 * kPi / 180.0;
    double sine = std::sin(half);
    if (aspect == 0.0 || zFar == zNear || sine == 0.0 || !std::isfinite(aspect))
        return false;
    double cotangent = std::cos(half) / sine;
    double depth = zFar - zNear;
    std::memset(m, 0, 16 * sizeof m[0]);
    At(m, 0, 0) = cotangent / aspect;
    At(m, 1, 1) = cotangent;
    At(m, 2, 2) = -(zFar + zNear) / depth;
    At(m, 3, 2) = -1.0;
    At(m, 2, 3) = -2.0 * zNear * zFar / depth;
    return true;
}

bool LookAtMatrix(double eyeX, double eyeY, double eyeZ, double centerX, double centerY,
                  double centerZ, double upX, double upY, double upZ, double m[16])
{
    double forward[3] = {centerX - eyeX, centerY - eyeY, centerZ - eyeZ};
    double up[3] = {upX, upY, upZ};
    double side[3];
    Normalize(forward);
    Cross(forward, up, side);
    if (side[0] == 0.0 && side[1] == 0.0 && side[2] == 0.0)
        return false;
    Normalize(side);
    Cross(side, forward, up);
    double rotation[16];
    IdentityMatrix(rotation);
    for (int col = 0; col < 3; ++col) {
        At(rotation, 0, col) = side[col];
        At(rotation, 1, col) = up[col];
        At(rotation, 2, col) = -forward[col];
    }
    double translation[16];
    IdentityMatrix(translation);
    At(translation, 0, 3) = -eyeX;
    At(translation, 1, 3) = -eyeY;
    At(translation, 2, 3) = -eyeZ;
    MultiplyMatrix(rotation, translation, m);
    return true;
}

bool OrthoMatrix(double left, double right, double bottom, double top, double zNear,
                 double zFar, double m[16])
{
    if (right == left || top == bottom || zFar == zNear)
        return false;
    IdentityMatrix(m);
    At(m, 0, 0) = 2.0 / (right - left);
    At(m, 1, 1) = 2.0 / (top - bottom);
    At(m, 2, 2) = -2.0 / (zFar - zNear);
    At(m, 0, 3) = -(right + left) / (right - left);
    At(m, 1, 3) = -(top + bottom) / (top - bottom);
    At(m, 2, 3) = -(zFar + zNear) / (zFar - zNear);
    return true;
}

bool PickMatrix(double x, double y, double width, double height, const int viewport[4],
                double m[16])
{
    if (width <= 0.0 || height <= 0.0)
        return false;
    // Translate the region's centre to the origin, then scale it to fill
    // the clip volume.
    IdentityMatrix(m);
    At(m, 0, 0) = viewport[2] / width;
    At(m, 1, 1) = viewport[3] / height;
    At(m, 0, 3) = (viewport[2] - 2.0 * (x - viewport[0])) / width;
    At(m, 1, 3) = (viewport[3] - 2.0 * (y - viewport[1])) / height;
    return true;
}

bool UnProject(double winX, double winY, double winZ, const double model[16],
               const double proj[16], const int viewport[4], double* objX, double* objY,
               double* objZ)
{
    if (viewport[2] == 0 || viewport[3] == 0)
        return false;
    double combined[16];
    double inverse[16];
    MultiplyMatrix(proj, model, combined);
    if (!InvertMatrix(combined, inverse))
        return false;
    double in[4] = {
        (winX - viewport[0]) / viewport[2] * 2.0 - 1.0,
        (winY - viewport[1]) / viewport[3] * 2.0 - 1.0,
        winZ * 2.0 - 1.0,
        1.0,
    };
    double out[4];
    for (int row = 0; row < 4; ++row) {
        out[row] = 0.0;
        for (int k = 0; k < 4; ++k)
            out[row] += At(inverse, row, k) * in[k];
    }
    if (out[3] == 0.0)
        return false;
    *objX = out[0] / out[3];
    *objY = out[1] / out[3];
    *objZ = out[2] / out[3];
    return true;
}

bool IsHardwareFormat(const FormatInfo& info)
{
    return !info.generic || info.genericAccelerated;
}

int ScorePixelFormat(const FormatInfo& info, const FormatWish& wish)
{
    bool hardware = IsHardwareFormat(info);
    int score = 0;
    if (info.openGLWindow)
        score += 0x8000;
    if (wish.depthBits == -1 || (wish.depthBits > 0 && info.depthBits > 0))
        score += 0x4000;
    if (wish.doubleBuffer == -1 || (wish.doubleBuffer == 0 && !info.doubleBuffer) ||
        (wish.doubleBuffer == 1 && info.doubleBuffer))
        score += 0x2000;
    if (wish.acceleration == -1 || (wish.acceleration == 0 && !hardware) ||
        (wish.acceleration == 1 && hardware))
        score += 0x1000;
    if (wish.colorBits == -1 || wish.colorBits == info.colorBits)
        score += 0x800;
    if (wish.depthBits == -1 || wish.depthBits == info.depthBits)
        score += 0x400;
    if (info.rgba)
        score += 0x80;
    if (hardware)
        score += 0x40;
    if (info.colorBits > 15)
        score += info.colorBits == 16 ? 0x20 + 8 : 0x20;
    if (info.depthBits > 15)
        score += info.depthBits == 16 ? 0x10 + 4 : 0x10;
    return score;
}

int ChooseBestFormat(const FormatInfo* formats, int count, FormatWish* wish)
{
    int best = 0;
    int bestScore = -1;
    for (int i = 0; i < count; ++i) {
        int score = ScorePixelFormat(formats[i], *wish);
        if (score > bestScore) {
            best = i + 1;
            bestScore = score;
        }
    }
    if (best == 0)
        return 0;
    const FormatInfo& chosen = formats[best - 1];
    wish->colorBits = chosen.colorBits;
    wish->depthBits = chosen.depthBits;
    wish->doubleBuffer = chosen.doubleBuffer ? 1 : 0;
    wish->acceleration = IsHardwareFormat(chosen) ? 1 : 0;
    return best;
}

bool NameIs3dfx(const char* name)
{
    return name && Find3dfx(name, 0) >= 0;
}

bool TextNames3dfx(const char* text)
{
    if (!text)
        return false;
    for (long at = Find3dfx(text, 0); at >= 0; at = Find3dfx(text, at + 1)) {
        bool startsWord = at == 0 || !IsLetterOrDigit(text[at - 1]);
        bool endsWord = !IsLetterOrDigit(text[at + 4]);
        if (startsWord && endsWord)
            return true;
    }
    return false;
}

void Size3dfxPanel(int requestedHeight, int* width, int* height)
{
    if (requestedHeight < 440) {
        *width = 512;
        *height = 384;
    } else if (requestedHeight < 540) {
        *width = 640;
        *height = 480;
    } else if (requestedHeight < 680) {
        *width = 800;
        *height = 600;
    } else {
        *width = 1024;
        *height = 768;
    }
}

ModeAction DecideModeAction(const int requested[3], const int current[3])
{
    if (requested[0] == current[0] && requested[1] == current[1] && requested[2] == current[2])
        return ModeAction::None;
    if (requested[0] == -1 && requested[1] == -1 && requested[2] == -1)
        return ModeAction::Reset;
    return ModeAction::Change;
}

} // namespace sgl
