// The OpenGL layer's own maths: the GLU matrices, pixel-format scoring,
// 3dfx panel sizing and the display-mode decision. No windows.h, no GL
// headers: also built natively and tested under the sanitizers.
// Matrices are 16 doubles in OpenGL's column-major order (m[col * 4 + row]).
#pragma once

namespace sgl {

void IdentityMatrix(double m[16]);
// out = a * b (out may alias neither).
void MultiplyMatrix(const double a[16], const double b[16], double out[16]);
// Inverse of m; false (out untouched) when m is singular.
bool InvertMatrix(const double m[16], double out[16]);

// fovy in degrees, aspect = width / height, zNear and zFar > 0. False
// (m untouched) for a zero aspect, equal planes or a zero/180 degree view.
bool PerspectiveMatrix(double fovy, double aspect, double zNear, double zFar, double m[16]);
// The view from eye towards centre with up roughly upwards. False (m
// untouched) when eye equals centre or up is parallel to the view.
bool LookAtMatrix(double eyeX, double eyeY, double eyeZ, double centerX, double centerY,
                  double centerZ, double upX, double upY, double upZ, double m[16]);
// glOrtho's matrix (sgluOrtho2D uses near -1 and far 1). False for an empty
// width, height or depth.
bool OrthoMatrix(double left, double right, double bottom, double top, double zNear,
                 double zFar, double m[16]);
// The picking region of width x height pixels centred on (x, y) in window
// coordinates; viewport = x, y, width, height. False for an empty region.
bool PickMatrix(double x, double y, double width, double height, const int viewport[4],
                double m[16]);
// Window coordinates back to object coordinates; false when model * proj
// is singular or the point lies at infinity.
bool UnProject(double winX, double winY, double winZ, const double model[16],
               const double proj[16], const int viewport[4], double* objX, double* objY,
               double* objZ);

// One pixel format as the driver describes it.
struct FormatInfo {
    bool openGLWindow = false; // supports OpenGL and drawing to a window
    bool doubleBuffer = false;
    bool rgba = false;         // false: colour-index
    bool generic = false;      // the system's software implementation...
    bool genericAccelerated = false; // ...unless an accelerator drives it
    int colorBits = 0;
    int depthBits = 0;
};

// The wishes of a caller; each -1 means "any". doubleBuffer and
// acceleration: 0 no / software, 1 yes / hardware.
struct FormatWish {
    int colorBits = -1;
    int depthBits = 16;
    int doubleBuffer = -1;
    int acceleration = 1;
};

bool IsHardwareFormat(const FormatInfo& info);
int ScorePixelFormat(const FormatInfo& info, const FormatWish& wish);
// The 1-based index of the first best-scoring format of count, or 0 when
// count is 0. The winner's properties are written back into wish.
int ChooseBestFormat(const FormatInfo* formats, int count, FormatWish* wish);

// Whether a driver's file name asks for the 3dfx style ("3dfx" in any case).
bool NameIs3dfx(const char* name);
// Whether a version text names 3dfx (the word, in any case).
bool TextNames3dfx(const char* text);
// The panel size a 3dfx card can show for a requested screen height (-1:
// none requested): 512x384, 640x480, 800x600 or 1024x768.
void Size3dfxPanel(int requestedHeight, int* width, int* height);

// What the panel does about the display mode before it creates a context.
enum class ModeAction { None, Reset, Change };
// requested: width, height, bits (-1 each: leave the display alone);
// current: the mode changed to earlier (-1 each: none).
ModeAction DecideModeAction(const int requested[3], const int current[3]);

} // namespace sgl
