// The OpenGL layer: one driver library at a time, loaded by name, every
// OpenGL and WGL call made through pointers resolved from it. The GLU
// helpers are computed here (see sglmath.h); no GLU library is loaded.
#pragma once
#include <windows.h>
#include <GL/gl.h>

// Forwarders: sglBegin(...) calls the loaded driver's glBegin, and so on
// for every function of sglfuncs.inc. Calling one with no driver loaded is
// a programming error (the pointer is null).
#define SGL_GL(ret, name, params, args) ret sgl##name params;
#include "saver/framework/sglfuncs.inc"
#undef SGL_GL

// The vertex-array functions, resolved only when the driver has them:
// call them only where sglHasVertexArrays() says all are there.
#define SGL_GL(ret, name, params, args) ret sgl##name params;
#include "saver/framework/sglarrays.inc"
#undef SGL_GL
bool sglHasVertexArrays();

// Loads the driver by name or path (the normal library search), freeing the
// one loaded before. Returns null, with "Failed to load <name>: <missing>"
// in the trace, when a required function is missing.
HMODULE sglLoadLibrary(const char* name);
void sglFreeLibrary();
HMODULE sglLibrary();
// Whether the loaded driver's name asked for the 3dfx style.
bool sglUses3dfxStyle();
// Whether the driver file is a 3dfx driver (its name, lower-cased, contains
// "3dfx").
bool sglIsDriver3dfx(const char* file);

// Context functions: the driver's WGL entry points; choose, describe and
// set fall back to the system's own functions when the driver lacks them.
HGLRC sglCreateContext(HDC dc);
BOOL sglDeleteContext(HGLRC context);
BOOL sglMakeCurrent(HDC dc, HGLRC context);
BOOL sglSwapLayerBuffers(HDC dc, UINT planes);
int sglChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* wanted);
int sglDescribePixelFormat(HDC dc, int format, UINT size, PIXELFORMATDESCRIPTOR* out);
BOOL sglSetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR* descriptor);
// With the 3dfx style, or when the system's SwapBuffers fails, the
// driver's own wglSwapBuffers (when it has one).
BOOL sglSwapBuffers(HDC dc);
// wglSwapIntervalEXT through the driver's own wglGetProcAddress, for the
// current context: false when the driver offers no swap control.
bool sglSwapInterval(int frames);
// glReadPixels when the driver has it (diagnostics only): false otherwise.
bool sglReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                   GLenum type, GLvoid* pixels);

// Scores every pixel format of the device context against the wishes (null
// = the defaults: colour -1, depth 16, double buffer -1, acceleration 1)
// and returns the best one's index, or 0. The wishes receive the chosen
// format's colour bits, depth bits, double buffering and acceleration.
int sglChoosePixelFormatEx(HDC dc, int* colorBits, int* depthBits, int* doubleBuffer,
                           int* acceleration);

// The GLU helpers, multiplied onto the current matrix as GLU would.
void sgluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar);
void sgluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY,
                GLdouble centerZ, GLdouble upX, GLdouble upY, GLdouble upZ);
void sgluOrtho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top);
void sgluPickMatrix(GLdouble x, GLdouble y, GLdouble width, GLdouble height, const GLint viewport[4]);
// GL_TRUE and the object coordinates, or GL_FALSE.
GLint sgluUnProject(GLdouble winX, GLdouble winY, GLdouble winZ, const GLdouble model[16],
                    const GLdouble proj[16], const GLint viewport[4], GLdouble* objX,
                    GLdouble* objY, GLdouble* objZ);
