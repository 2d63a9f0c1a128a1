#include "saver/framework/sgl.h"

#include "common/owners.h"
#include "common/text.h"
#include "saver/framework/sglmath.h"
#include "saver/framework/trace.h"

namespace {

#define SGL_GL(ret, name, params, args) ret(APIENTRY* p##name) params = nullptr;
#include "saver/framework/sglfuncs.inc"
#include "saver/framework/sglarrays.inc"
#undef SGL_GL

using CreateContextProc = HGLRC(WINAPI*)(HDC);
using DeleteContextProc = BOOL(WINAPI*)(HGLRC);
using MakeCurrentProc = BOOL(WINAPI*)(HDC, HGLRC);
using SwapLayerBuffersProc = BOOL(WINAPI*)(HDC, UINT);
using SwapBuffersProc = BOOL(WINAPI*)(HDC);
using ChoosePixelFormatProc = int(WINAPI*)(HDC, const PIXELFORMATDESCRIPTOR*);
using DescribePixelFormatProc = int(WINAPI*)(HDC, int, UINT, PIXELFORMATDESCRIPTOR*);
using SetPixelFormatProc = BOOL(WINAPI*)(HDC, int, const PIXELFORMATDESCRIPTOR*);
using ReadPixelsProc = void(APIENTRY*)(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, GLvoid*);
using GetProcAddressProc = PROC(WINAPI*)(LPCSTR);
using SwapIntervalProc = BOOL(WINAPI*)(int);

CreateContextProc pCreateContext = nullptr;
DeleteContextProc pDeleteContext = nullptr;
MakeCurrentProc pMakeCurrent = nullptr;
SwapLayerBuffersProc pSwapLayerBuffers = nullptr;
SwapBuffersProc pWglSwapBuffers = nullptr;
ChoosePixelFormatProc pChoosePixelFormat = nullptr;
DescribePixelFormatProc pDescribePixelFormat = nullptr;
SetPixelFormatProc pSetPixelFormat = nullptr;
ReadPixelsProc pReadPixels = nullptr;
GetProcAddressProc pGetProcAddress = nullptr;

Library gLibrary;
bool gStyle3dfx = false;
const std::size_t kNameSize = 260;
char gLibraryName[kNameSize];
// The names of the missing functions, for the failure trace.
const std::size_t kMissingSize = 1024;

template <typename Proc> void Resolve(HMODULE library, const char* name, Proc* proc)
{
    *proc = reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

template <typename Proc>
void ResolveRequired(HMODULE library, const char* name, Proc* proc, char* missing)
{
    Resolve(library, name, proc);
    if (*proc)
        return;
    if (missing[0])
        AppendText(missing, kMissingSize, ", ");
    AppendText(missing, kMissingSize, name);
}

void ClearPointers()
{
#define SGL_GL(ret, name, params, args) p##name = nullptr;
#include "saver/framework/sglfuncs.inc"
#include "saver/framework/sglarrays.inc"
#undef SGL_GL
    pCreateContext = nullptr;
    pDeleteContext = nullptr;
    pMakeCurrent = nullptr;
    pSwapLayerBuffers = nullptr;
    pWglSwapBuffers = nullptr;
    pChoosePixelFormat = nullptr;
    pDescribePixelFormat = nullptr;
    pSetPixelFormat = nullptr;
    pReadPixels = nullptr;
    pGetProcAddress = nullptr;
}

void ResolveAll(HMODULE library, char* missing)
{
#define SGL_GL(ret, name, params, args) ResolveRequired(library, "gl" #name, &p##name, missing);
#include "saver/framework/sglfuncs.inc"
#undef SGL_GL
    ResolveRequired(library, "wglCreateContext", &pCreateContext, missing);
    ResolveRequired(library, "wglDeleteContext", &pDeleteContext, missing);
    ResolveRequired(library, "wglMakeCurrent", &pMakeCurrent, missing);
    ResolveRequired(library, "wglSwapLayerBuffers", &pSwapLayerBuffers, missing);
    Resolve(library, "wglSwapBuffers", &pWglSwapBuffers);
    Resolve(library, "wglChoosePixelFormat", &pChoosePixelFormat);
    Resolve(library, "wglDescribePixelFormat", &pDescribePixelFormat);
    Resolve(library, "wglSetPixelFormat", &pSetPixelFormat);
    Resolve(library, "glReadPixels", &pReadPixels);
    Resolve(library, "wglGetProcAddress", &pGetProcAddress);
#define SGL_GL(ret, name, params, args) Resolve(library, "gl" #name, &p##name);
#include "saver/framework/sglarrays.inc"
#undef SGL_GL
}

void MultiplyCurrent(const double m[16])
{
    sglMultMatrixd(m);
}

} // namespace

#define SGL_GL(ret, name, params, args) \
    ret sgl##name params { return p##name args; }
#include "saver/framework/sglfuncs.inc"
#include "saver/framework/sglarrays.inc"
#undef SGL_GL

bool sglHasVertexArrays()
{
    bool all = true;
#define SGL_GL(ret, name, params, args) all = all && p##name != nullptr;
#include "saver/framework/sglarrays.inc"
#undef SGL_GL
    return all;
}

HMODULE sglLoadLibrary(const char* name)
{
    sglFreeLibrary();
    CopyText(gLibraryName, sizeof gLibraryName, name ? name : "");
    Library library(LoadLibraryA(gLibraryName));
    if (!library) {
        ScrDebug(tlErr, "Failed to load %s: the library could not be loaded", gLibraryName);
        return nullptr;
    }
    gStyle3dfx = sgl::NameIs3dfx(gLibraryName);
    char missing[kMissingSize] = "";
    ResolveAll(library.Get(), missing);
    if (missing[0]) {
        library.Reset();
        ClearPointers();
        gStyle3dfx = false;
        ScrDebug(tlErr, "Failed to load %s: %s", gLibraryName, missing);
        return nullptr;
    }
    gLibrary = std::move(library);
    ScrDebug(tlUsr, "%s draws %s", gLibraryName,
             sglHasVertexArrays() ? "from vertex arrays" : "in immediate mode (no vertex arrays)");
    return gLibrary.Get();
}

void sglFreeLibrary()
{
    gLibrary.Reset();
    gStyle3dfx = false;
    ClearPointers();
}

HMODULE sglLibrary()
{
    return gLibrary.Get();
}

bool sglUses3dfxStyle()
{
    return gStyle3dfx;
}

bool sglIsDriver3dfx(const char* file)
{
    return sgl::NameIs3dfx(file);
}

HGLRC sglCreateContext(HDC dc)
{
    return pCreateContext ? pCreateContext(dc) : nullptr;
}

BOOL sglDeleteContext(HGLRC context)
{
    return pDeleteContext ? pDeleteContext(context) : FALSE;
}

BOOL sglMakeCurrent(HDC dc, HGLRC context)
{
    return pMakeCurrent ? pMakeCurrent(dc, context) : FALSE;
}

BOOL sglSwapLayerBuffers(HDC dc, UINT planes)
{
    return pSwapLayerBuffers ? pSwapLayerBuffers(dc, planes) : FALSE;
}

int sglChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* wanted)
{
    return pChoosePixelFormat ? pChoosePixelFormat(dc, wanted) : ChoosePixelFormat(dc, wanted);
}

int sglDescribePixelFormat(HDC dc, int format, UINT size, PIXELFORMATDESCRIPTOR* out)
{
    return pDescribePixelFormat ? pDescribePixelFormat(dc, format, size, out)
                                : DescribePixelFormat(dc, format, size, out);
}

BOOL sglSetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR* descriptor)
{
    return pSetPixelFormat ? pSetPixelFormat(dc, format, descriptor)
                           : SetPixelFormat(dc, format, descriptor);
}

BOOL sglSwapBuffers(HDC dc)
{
    if (!gStyle3dfx && SwapBuffers(dc))
        return TRUE;
    return pWglSwapBuffers ? pWglSwapBuffers(dc) : FALSE;
}

bool sglSwapInterval(int frames)
{
    if (!pGetProcAddress)
        return false;
    auto swapInterval = reinterpret_cast<SwapIntervalProc>(
        reinterpret_cast<void*>(pGetProcAddress("wglSwapIntervalEXT")));
    return swapInterval && swapInterval(frames);
}

bool sglReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type,
                   GLvoid* pixels)
{
    if (!pReadPixels)
        return false;
    pReadPixels(x, y, width, height, format, type, pixels);
    return true;
}

int sglChoosePixelFormatEx(HDC dc, int* colorBits, int* depthBits, int* doubleBuffer,
                           int* acceleration)
{
    sgl::FormatWish wish;
    if (colorBits)
        wish.colorBits = *colorBits;
    if (depthBits)
        wish.depthBits = *depthBits;
    if (doubleBuffer)
        wish.doubleBuffer = *doubleBuffer;
    if (acceleration)
        wish.acceleration = *acceleration;
    PIXELFORMATDESCRIPTOR pfd;
    int count = sglDescribePixelFormat(dc, 1, sizeof pfd, &pfd);
    int best = 0;
    int bestScore = -1;
    sgl::FormatInfo bestInfo;
    for (int i = 1; i <= count; ++i) {
        if (!sglDescribePixelFormat(dc, i, sizeof pfd, &pfd))
            continue;
        sgl::FormatInfo info;
        info.openGLWindow = (pfd.dwFlags & PFD_SUPPORT_OPENGL) && (pfd.dwFlags & PFD_DRAW_TO_WINDOW);
        info.doubleBuffer = (pfd.dwFlags & PFD_DOUBLEBUFFER) != 0;
        info.rgba = pfd.iPixelType == PFD_TYPE_RGBA;
        info.generic = (pfd.dwFlags & PFD_GENERIC_FORMAT) != 0;
        info.genericAccelerated = (pfd.dwFlags & PFD_GENERIC_ACCELERATED) != 0;
        info.colorBits = pfd.cColorBits;
        info.depthBits = pfd.cDepthBits;
        int score = sgl::ScorePixelFormat(info, wish);
        if (score > bestScore) {
            best = i;
            bestScore = score;
            bestInfo = info;
        }
    }
    if (!best)
        return 0;
    sgl::ChooseBestFormat(&bestInfo, 1, &wish);
    if (colorBits)
        *colorBits = wish.colorBits;
    if (depthBits)
        *depthBits = wish.depthBits;
    if (doubleBuffer)
        *doubleBuffer = wish.doubleBuffer;
    if (acceleration)
        *acceleration = wish.acceleration;
    return best;
}

void sgluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar)
{
    double m[16];
    if (sgl::PerspectiveMatrix(fovy, aspect, zNear, zFar, m))
        MultiplyCurrent(m);
}

void sgluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY,
                GLdouble centerZ, GLdouble upX, GLdouble upY, GLdouble upZ)
{
    double m[16];
    if (sgl::LookAtMatrix(eyeX, eyeY, eyeZ, centerX, centerY, centerZ, upX, upY, upZ, m))
        MultiplyCurrent(m);
}

void sgluOrtho2D(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top)
{
    double m[16];
    if (sgl::OrthoMatrix(left, right, bottom, top, -1.0, 1.0, m))
        MultiplyCurrent(m);
}

void sgluPickMatrix(GLdouble x, GLdouble y, GLdouble width, GLdouble height, const GLint viewport[4])
{
    double m[16];
    if (sgl::PickMatrix(x, y, width, height, viewport, m))
        MultiplyCurrent(m);
}

GLint sgluUnProject(GLdouble winX, GLdouble winY, GLdouble winZ, const GLdouble model[16],
                    const GLdouble proj[16], const GLint viewport[4], GLdouble* objX,
                    GLdouble* objY, GLdouble* objZ)
{
    return sgl::UnProject(winX, winY, winZ, model, proj, viewport, objX, objY, objZ) ? GL_TRUE
                                                                                    : GL_FALSE;
}
