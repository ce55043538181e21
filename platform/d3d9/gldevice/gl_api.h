// The OpenGL entry points the hardware device calls, loaded through the window's context (no
// link-time dependency on a GL library: the display's own GL is used, whichever it is).
// Implements: the table of functions of OpenGL 2.1 plus framebuffer objects
// (ARB_framebuffer_object, core from 3.0) that the device uses, and its loading.
// Leaves out: every other function; extensions beyond framebuffer objects.
#pragma once

#include <GL/glcorearb.h>

#include "../../win32/display_bridge.h"

namespace gldevice {

// X(type of the pointer, name) for every function of the table.
#define GLDEVICE_FUNCTIONS(X)                                    \
  X(PFNGLGETSTRINGPROC, GetString)                               \
  X(PFNGLGETINTEGERVPROC, GetIntegerv)                           \
  X(PFNGLGETERRORPROC, GetError)                                 \
  X(PFNGLVIEWPORTPROC, Viewport)                                 \
  X(PFNGLSCISSORPROC, Scissor)                                   \
  X(PFNGLENABLEPROC, Enable)                                     \
  X(PFNGLDISABLEPROC, Disable)                                   \
  X(PFNGLCLEARCOLORPROC, ClearColor)                             \
  X(PFNGLCLEARDEPTHPROC, ClearDepth)                             \
  X(PFNGLCLEARPROC, Clear)                                       \
  X(PFNGLCOLORMASKPROC, ColorMask)                               \
  X(PFNGLDEPTHMASKPROC, DepthMask)                               \
  X(PFNGLDEPTHFUNCPROC, DepthFunc)                               \
  X(PFNGLDEPTHRANGEPROC, DepthRange)                             \
  X(PFNGLBLENDFUNCPROC, BlendFunc)                               \
  X(PFNGLCULLFACEPROC, CullFace)                                 \
  X(PFNGLFRONTFACEPROC, FrontFace)                               \
  X(PFNGLPIXELSTOREIPROC, PixelStorei)                           \
  X(PFNGLREADPIXELSPROC, ReadPixels)                             \
  X(PFNGLFINISHPROC, Finish)                                     \
  X(PFNGLGENTEXTURESPROC, GenTextures)                           \
  X(PFNGLDELETETEXTURESPROC, DeleteTextures)                     \
  X(PFNGLBINDTEXTUREPROC, BindTexture)                           \
  X(PFNGLTEXIMAGE2DPROC, TexImage2D)                             \
  X(PFNGLTEXPARAMETERIPROC, TexParameteri)                       \
  X(PFNGLACTIVETEXTUREPROC, ActiveTexture)                       \
  X(PFNGLGENBUFFERSPROC, GenBuffers)                             \
  X(PFNGLDELETEBUFFERSPROC, DeleteBuffers)                       \
  X(PFNGLBINDBUFFERPROC, BindBuffer)                             \
  X(PFNGLBUFFERDATAPROC, BufferData)                             \
  X(PFNGLDRAWARRAYSPROC, DrawArrays)                             \
  X(PFNGLDRAWELEMENTSPROC, DrawElements)                         \
  X(PFNGLCREATESHADERPROC, CreateShader)                         \
  X(PFNGLSHADERSOURCEPROC, ShaderSource)                         \
  X(PFNGLCOMPILESHADERPROC, CompileShader)                       \
  X(PFNGLGETSHADERIVPROC, GetShaderiv)                           \
  X(PFNGLDELETESHADERPROC, DeleteShader)                         \
  X(PFNGLCREATEPROGRAMPROC, CreateProgram)                       \
  X(PFNGLATTACHSHADERPROC, AttachShader)                         \
  X(PFNGLBINDATTRIBLOCATIONPROC, BindAttribLocation)             \
  X(PFNGLLINKPROGRAMPROC, LinkProgram)                           \
  X(PFNGLGETPROGRAMIVPROC, GetProgramiv)                         \
  X(PFNGLUSEPROGRAMPROC, UseProgram)                             \
  X(PFNGLDELETEPROGRAMPROC, DeleteProgram)                       \
  X(PFNGLGETUNIFORMLOCATIONPROC, GetUniformLocation)             \
  X(PFNGLUNIFORM1IPROC, Uniform1i)                               \
  X(PFNGLUNIFORM1FPROC, Uniform1f)                               \
  X(PFNGLUNIFORM2FPROC, Uniform2f)                               \
  X(PFNGLUNIFORMMATRIX4FVPROC, UniformMatrix4fv)                 \
  X(PFNGLVERTEXATTRIBPOINTERPROC, VertexAttribPointer)           \
  X(PFNGLENABLEVERTEXATTRIBARRAYPROC, EnableVertexAttribArray)   \
  X(PFNGLDISABLEVERTEXATTRIBARRAYPROC, DisableVertexAttribArray) \
  X(PFNGLVERTEXATTRIB4FPROC, VertexAttrib4f)                     \
  X(PFNGLVERTEXATTRIB2FPROC, VertexAttrib2f)                     \
  X(PFNGLGENFRAMEBUFFERSPROC, GenFramebuffers)                   \
  X(PFNGLDELETEFRAMEBUFFERSPROC, DeleteFramebuffers)             \
  X(PFNGLBINDFRAMEBUFFERPROC, BindFramebuffer)                   \
  X(PFNGLFRAMEBUFFERTEXTURE2DPROC, FramebufferTexture2D)         \
  X(PFNGLFRAMEBUFFERRENDERBUFFERPROC, FramebufferRenderbuffer)   \
  X(PFNGLCHECKFRAMEBUFFERSTATUSPROC, CheckFramebufferStatus)     \
  X(PFNGLGENRENDERBUFFERSPROC, GenRenderbuffers)                 \
  X(PFNGLDELETERENDERBUFFERSPROC, DeleteRenderbuffers)           \
  X(PFNGLBINDRENDERBUFFERPROC, BindRenderbuffer)                 \
  X(PFNGLRENDERBUFFERSTORAGEPROC, RenderbufferStorage)

// GL calls made through every table of the process, for the benchmarks' count per frame.
unsigned long long GlCallCount();
void CountGlCall();

// A GL function that counts its calls.
template <typename Pointer>
struct CountedFunction;
template <typename Result, typename... Arguments>
struct CountedFunction<Result (*)(Arguments...)> {
  Result (*function)(Arguments...) = nullptr;
  Result operator()(Arguments... arguments) const {
    CountGlCall();
    return function(arguments...);
  }
};

struct GlApi {
#define GLDEVICE_DECLARE(type, name) CountedFunction<type> name;
  GLDEVICE_FUNCTIONS(GLDEVICE_DECLARE)
#undef GLDEVICE_DECLARE
};

// Fills the table from the context; false when any function is missing.
bool LoadGlApi(standin::GlContext& context, GlApi& api);

}  // namespace gldevice
