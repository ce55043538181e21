// bench_scene_gl: the bench frame of bench_scene drawn with plain OpenGL 2.1 calls on an SDL
// window, as a program written for OpenGL alone would draw it under the same Direct3D 9
// conventions (pixel centres, depth 0..1, the offscreen image's top row first): the yardstick
// for what the OpenGL device adds to the GL's own work. Every frame ends with a swap without
// waiting for the display, as bench_scene --device hal does; the median milliseconds per frame
// come on the last line.
//
//   bench_scene_gl --scene DIR [--size WxH] [--frames N] [--warmup N] [--theta DEGREES]
//                  [--write-frame PATH.bmp]
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bmp_writer.h"
#include "scene_files.h"
#include "scene_options.h"
#include "scene_matrices.h"

namespace {

constexpr int kOffscreenSize = 512;

bool ParseOptions(int argc, char** argv, SceneOptions& options) {
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!ReadSceneOption(argv[i], argv[i + 1], options)) return false;
  }
  return argc % 2 == 1 && SceneOptionsAreComplete(options);
}

// The transform, with Direct3D's pixel centres and depth range; `flip` -1 draws a texture's
// top row as GL's row 0.
constexpr char kVertexShader[] = R"(#version 120
attribute vec3 position;
attribute vec2 texcoord;
uniform mat4 transform;
uniform float flip;
uniform vec2 pixel;
varying vec2 uv;
void main() {
  vec4 clip = transform * vec4(position, 1.0);
  gl_Position = vec4(clip.x + clip.w * pixel.x, clip.y * flip + clip.w * pixel.y, 2.0 * clip.z - clip.w, clip.w);
  uv = texcoord;
}
)";

// Colour = texel x tint, alpha = min(1, 2 x texel alpha x tint alpha).
constexpr char kFragmentShader[] = R"(#version 120
uniform sampler2D picture;
uniform vec4 tint;
varying vec2 uv;
void main() {
  vec4 texel = texture2D(picture, uv);
  gl_FragColor = vec4(texel.rgb * tint.rgb, min(2.0 * texel.a * tint.a, 1.0));
}
)";

GLuint Compile(GLenum type, const char* source) {
  const GLuint shader = glCreateShader(type);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  return shader;
}

GLuint MakeTexture(const uint32_t* texels, int width, int height) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_MIRRORED_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_MIRRORED_REPEAT);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, texels);
  return name;
}

// A quad as a strip: x, y, z, u, v.
std::vector<float> Quad(float halfWidth, float halfHeight, float z) {
  return {-halfWidth, halfHeight,  z, 0, 0, halfWidth, halfHeight,  z, 1, 0,
          -halfWidth, -halfHeight, z, 0, 1, halfWidth, -halfHeight, z, 1, 1};
}

GLuint MakeBuffer(GLenum target, const void* data, size_t bytes) {
  GLuint name = 0;
  glGenBuffers(1, &name);
  glBindBuffer(target, name);
  glBufferData(target, static_cast<GLsizeiptr>(bytes), data, GL_STATIC_DRAW);
  return name;
}

refdevice::Matrix Multiply(const refdevice::Matrix& a, const refdevice::Matrix& b) {
  refdevice::Matrix product;
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      float sum = 0;
      for (int k = 0; k < 4; ++k) sum += a.m[row][k] * b.m[k][column];
      product.m[row][column] = sum;
    }
  }
  return product;
}

class PlainGlScene {
 public:
  bool Create(const SceneData& scene, int width, int height) {
    width_ = width;
    height_ = height;
    program_ = glCreateProgram();
    glAttachShader(program_, Compile(GL_VERTEX_SHADER, kVertexShader));
    glAttachShader(program_, Compile(GL_FRAGMENT_SHADER, kFragmentShader));
    glBindAttribLocation(program_, 0, "position");
    glBindAttribLocation(program_, 1, "texcoord");
    glLinkProgram(program_);
    GLint linked = GL_FALSE;
    glGetProgramiv(program_, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) return false;
    glUseProgram(program_);
    transform_ = glGetUniformLocation(program_, "transform");
    flip_ = glGetUniformLocation(program_, "flip");
    pixel_ = glGetUniformLocation(program_, "pixel");
    tint_ = glGetUniformLocation(program_, "tint");
    glUniform1i(glGetUniformLocation(program_, "picture"), 0);

    objectTexture_ = MakeTexture(scene.objectImage.data(), SceneData::kObjectWidth, SceneData::kObjectHeight);
    maskTexture_ = MakeTexture(scene.maskImage.data(), SceneData::kMaskWidth, SceneData::kMaskHeight);
    offscreenTexture_ = MakeTexture(nullptr, kOffscreenSize, kOffscreenSize);
    glGenRenderbuffers(1, &offscreenDepth_);
    glBindRenderbuffer(GL_RENDERBUFFER, offscreenDepth_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, kOffscreenSize, kOffscreenSize);
    glGenFramebuffers(1, &offscreen_);
    glBindFramebuffer(GL_FRAMEBUFFER, offscreen_);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, offscreenTexture_, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, offscreenDepth_);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return false;

    discVertices_ = MakeBuffer(GL_ARRAY_BUFFER, scene.discVertices.data(), scene.discVertices.size());
    discIndices_ = MakeBuffer(GL_ELEMENT_ARRAY_BUFFER, scene.discIndices.data(), scene.discIndices.size() * 4);
    const std::vector<float> objectQuad = Quad(2.0f, 1.0f, 0.0f);
    const std::vector<float> maskQuad = Quad(8.85f, 8.85f, -0.1f);
    objectQuad_ = MakeBuffer(GL_ARRAY_BUFFER, objectQuad.data(), objectQuad.size() * 4);
    maskQuad_ = MakeBuffer(GL_ARRAY_BUFFER, maskQuad.data(), maskQuad.size() * 4);
    glEnableVertexAttribArray(0);
    glEnableVertexAttribArray(1);
    glActiveTexture(GL_TEXTURE0);
    glDisable(GL_DITHER);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    return glGetError() == GL_NO_ERROR;
  }

  void DrawFrame(float theta) {
    const float origin[3] = {0, 0, 0}, up[3] = {0, 1, 0};
    // Object pass, drawn upside down in GL terms so that row 0 is the image's top: the
    // clockwise quad turns counter-clockwise there.
    glBindFramebuffer(GL_FRAMEBUFFER, offscreen_);
    glViewport(0, 0, kOffscreenSize, kOffscreenSize);
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glFrontFace(GL_CCW);
    const float objectEye[3] = {0, 0, -5};
    SetTransform(scene::Scaling(0.70715f, 0.70715f, 1.0f), scene::LookAtLH(objectEye, origin, up),
                 scene::OrthoLH(1, 1, 0, 1000), -1.0f, kOffscreenSize, kOffscreenSize);
    glUniform4f(tint_, 1.0f, 242 / 255.0f, 230 / 255.0f, 230 / 255.0f);  // 0xE6FFF2E6
    glBindTexture(GL_TEXTURE_2D, objectTexture_);
    DrawQuad(objectQuad_);

    // Main pass into the window.
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, width_, height_);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glFrontFace(GL_CW);
    const float mainEye[3] = {0, 0, -25};
    const refdevice::Matrix view = scene::LookAtLH(mainEye, origin, up);
    const refdevice::Matrix projection =
        scene::PerspectiveFovLH(0.08726646f, float(width_) / float(height_), 1.0f, 1000.0f);
    SetTransform(scene::RotationZ(theta), view, projection, 1.0f, width_, height_);
    glUniform4f(tint_, 1, 1, 1, 1);
    glBindTexture(GL_TEXTURE_2D, offscreenTexture_);
    glBindBuffer(GL_ARRAY_BUFFER, discVertices_);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 20, nullptr);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 20, reinterpret_cast<const void*>(12));
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, discIndices_);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(SceneData::kDiscIndices), GL_UNSIGNED_INT, nullptr);

    glEnable(GL_BLEND);
    SetTransform(refdevice::Matrix{}, view, projection, 1.0f, width_, height_);
    glUniform4f(tint_, 140 / 255.0f, 191 / 255.0f, 1.0f, 1.0f);
    glBindTexture(GL_TEXTURE_2D, maskTexture_);
    DrawQuad(maskQuad_);
  }

  bool WriteFrame(const std::string& path) {
    std::vector<uint32_t> pixels(size_t(width_) * height_);
    glReadPixels(0, 0, width_, height_, GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
    std::vector<uint32_t> topDown(pixels.size());
    for (int row = 0; row < height_; ++row) {
      std::memcpy(&topDown[size_t(row) * width_], &pixels[size_t(height_ - 1 - row) * width_], size_t(width_) * 4);
    }
    return WriteBmp32(path, topDown.data(), width_, height_, size_t(width_) * 4);
  }

 private:
  void SetTransform(const refdevice::Matrix& world, const refdevice::Matrix& view, const refdevice::Matrix& projection,
                    float flip, int width, int height) {
    const refdevice::Matrix combined = Multiply(Multiply(world, view), projection);
    glUniformMatrix4fv(transform_, 1, GL_FALSE, &combined.m[0][0]);
    glUniform1f(flip_, flip);
    glUniform2f(pixel_, 1.0f / float(width), -flip / float(height));
  }

  void DrawQuad(GLuint buffer) {
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 20, nullptr);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 20, reinterpret_cast<const void*>(12));
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
  }

  int width_ = 0, height_ = 0;
  GLuint program_ = 0;
  GLint transform_ = -1, flip_ = -1, pixel_ = -1, tint_ = -1;
  GLuint objectTexture_ = 0, maskTexture_ = 0, offscreenTexture_ = 0, offscreenDepth_ = 0, offscreen_ = 0;
  GLuint discVertices_ = 0, discIndices_ = 0, objectQuad_ = 0, maskQuad_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  SceneOptions options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr,
                 "usage: bench_scene_gl --scene DIR [--size WxH] [--frames N] [--warmup N] [--theta DEGREES]\n"
                 "                      [--write-frame PATH.bmp]\n");
    return 2;
  }
  SceneData scene;
  if (const std::string error = LoadSceneData(options.sceneDirectory, scene); !error.empty()) {
    std::fprintf(stderr, "bench_scene_gl: %s\n", error.c_str());
    return 1;
  }
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "bench_scene_gl: %s\n", SDL_GetError());
    return 1;
  }
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
  SDL_Window* window = SDL_CreateWindow("bench_scene_gl", 0, 0, options.width, options.height,
                                        SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS);
  SDL_GLContext context = window != nullptr ? SDL_GL_CreateContext(window) : nullptr;
  PlainGlScene renderer;
  if (context == nullptr || !renderer.Create(scene, options.width, options.height)) {
    std::fprintf(stderr, "bench_scene_gl: no OpenGL 2.1 with framebuffer objects on this display\n");
    return 1;
  }
  SDL_GL_SetSwapInterval(0);
  const float theta = options.thetaDegrees * 3.14159265358979f / 180.0f;
  if (!options.writeFrame.empty()) {
    renderer.DrawFrame(theta);
    if (!renderer.WriteFrame(options.writeFrame)) return 1;
  }
  auto frame = [&] {
    renderer.DrawFrame(theta);
    SDL_GL_SwapWindow(window);
  };
  for (int i = 0; i < options.warmup; ++i) frame();
  std::vector<double> milliseconds;
  for (int i = 0; i < options.frames; ++i) {
    const auto start = std::chrono::steady_clock::now();
    frame();
    milliseconds.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  SDL_GL_DeleteContext(context);
  SDL_DestroyWindow(window);
  SDL_Quit();
  if (milliseconds.empty()) return 0;
  std::sort(milliseconds.begin(), milliseconds.end());
  std::printf("plain GL, size %dx%d, frames %zu: min %.3f ms\n", options.width, options.height, milliseconds.size(),
              milliseconds.front());
  std::printf("%.3f\n", milliseconds[milliseconds.size() / 2]);
  return 0;
}
