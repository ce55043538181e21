// Implements: GLX visuals and contexts for child windows of foreign X11 windows. The requests
// that name the window (making the context current on it, swapping) run under an error trap,
// so a window destroyed by its parent's owner before we heard of it is a failed call, which the
// device takes as a lost device, rather than the end of the process.
// Leaves out: framebuffer configurations (GLX 1.3): the legacy visual choice serves every GLX.
#include "x11_gl_context.h"

#include <GL/glx.h>

#include <cstring>

#include "x11_error_trap.h"

namespace standin {
namespace {

using SwapIntervalExt = void (*)(::Display*, GLXDrawable, int);
using SwapIntervalMesa = int (*)(unsigned int);

bool HasExtension(const char* extensions, const char* name) {
  if (extensions == nullptr) return false;
  const size_t length = std::strlen(name);
  for (const char* at = std::strstr(extensions, name); at != nullptr; at = std::strstr(at + length, name)) {
    const bool startsWord = at == extensions || at[-1] == ' ';
    const bool endsWord = at[length] == '\0' || at[length] == ' ';
    if (startsWord && endsWord) return true;
  }
  return false;
}

class X11GlContext final : public GlContext {
 public:
  X11GlContext(std::shared_ptr<::Display> connection, int screen, ::Window window, GLXContext context,
               std::shared_ptr<const bool> windowExists)
      : connection_(std::move(connection)),
        display_(connection_.get()),
        screen_(screen),
        window_(window),
        context_(context),
        windowExists_(std::move(windowExists)) {}

  ~X11GlContext() override {
    ErrorTrap trap(display_);
    if (glXGetCurrentContext() == context_) glXMakeCurrent(display_, None, nullptr);
    glXDestroyContext(display_, context_);
  }

  void* ProcAddress(const char* name) override {
    return reinterpret_cast<void*>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
  }

  bool MakeCurrent() override {
    if (!*windowExists_) return false;
    // Every draw asks for the context; only a change costs a round trip to the server.
    if (glXGetCurrentContext() == context_ && glXGetCurrentDrawable() == window_) return true;
    ErrorTrap trap(display_);
    return glXMakeCurrent(display_, window_, context_) == True && !trap.Failed();
  }

  bool Swap() override {
    if (!*windowExists_) return false;
    ErrorTrap trap(display_);
    glXSwapBuffers(display_, window_);
    return !trap.Failed();
  }

  bool SetSwapInterval(int interval) override {
    const char* extensions = glXQueryExtensionsString(display_, screen_);
    ErrorTrap trap(display_);
    if (HasExtension(extensions, "GLX_EXT_swap_control")) {
      auto set = reinterpret_cast<SwapIntervalExt>(ProcAddress("glXSwapIntervalEXT"));
      if (set == nullptr) return false;
      set(display_, window_, interval);
      return !trap.Failed();
    }
    if (HasExtension(extensions, "GLX_MESA_swap_control")) {
      auto set = reinterpret_cast<SwapIntervalMesa>(ProcAddress("glXSwapIntervalMESA"));
      return set != nullptr && set(static_cast<unsigned int>(interval)) == 0 && !trap.Failed();
    }
    return false;
  }

  void DrawableSize(int& width, int& height) override {
    width = 0;
    height = 0;
    if (!*windowExists_) return;
    ErrorTrap trap(display_);
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display_, window_, &attributes) == 0 || trap.Failed()) return;
    width = attributes.width;
    height = attributes.height;
  }

 private:
  std::shared_ptr<::Display> connection_;
  ::Display* display_;
  int screen_;
  ::Window window_;
  GLXContext context_;
  std::shared_ptr<const bool> windowExists_;
};

}  // namespace

bool ChooseGlVisual(::Display* display, XVisualInfo& chosen) {
  int errorBase = 0;
  int eventBase = 0;
  if (!glXQueryExtension(display, &errorBase, &eventBase)) return false;
  int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8,   GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE,
                      8,        GLX_DEPTH_SIZE,   16,           None};
  ErrorTrap trap(display);
  XVisualInfo* found = glXChooseVisual(display, DefaultScreen(display), attributes);
  if (found == nullptr || trap.Failed()) {
    if (found != nullptr) XFree(found);
    return false;
  }
  chosen = *found;
  XFree(found);
  return chosen.c_class == TrueColor;  // the reference device's pictures are shown in it too
}

std::unique_ptr<GlContext> CreateX11GlContext(std::shared_ptr<::Display> connection, VisualID visual, ::Window window,
                                              std::shared_ptr<const bool> windowExists) {
  ::Display* display = connection.get();
  XVisualInfo wanted{};
  wanted.visualid = visual;
  int count = 0;
  XVisualInfo* found = XGetVisualInfo(display, VisualIDMask, &wanted, &count);
  if (found == nullptr) return nullptr;
  const int screen = found->screen;
  ErrorTrap trap(display);
  GLXContext context = glXCreateContext(display, found, nullptr, True);
  XFree(found);
  if (context == nullptr || trap.Failed()) {
    if (context != nullptr) glXDestroyContext(display, context);
    return nullptr;
  }
  auto made = std::make_unique<X11GlContext>(std::move(connection), screen, window, context, std::move(windowExists));
  if (!made->MakeCurrent()) return nullptr;
  return made;
}

}  // namespace standin
