// The shaders that stand in for the fixed-function pipeline: one vertex shader (the three
// transforms as one matrix, Direct3D's pixel centres and depth range) and a fragment shader for
// each combination of texture stage 0's colour and alpha operations, made when first needed.
// GLSL 1.20 without any later feature, so every GL 2.1 driver compiles them.
// Implements: the program cache and its uniforms.
// Leaves out: lighting, fog, alpha test, more than one stage (the draw translation refuses them).
#pragma once

#include <map>
#include <tuple>

#include "gl_api.h"
#include "refdevice/refdevice.h"

namespace gldevice {

// Attribute slots, bound before linking.
constexpr GLuint kPositionAttribute = 0;
constexpr GLuint kDiffuseAttribute = 1;
constexpr GLuint kTexcoordAttribute = 2;

struct Program {
  GLuint name = 0;
  GLint transform = -1;  // mat4: world * view * projection
  GLint flip = -1;       // float: the sign of y (-1 for render-target textures)
  GLint pixel = -1;      // vec2: the pixel-centre shift in clip units
};

class ProgramCache {
 public:
  explicit ProgramCache(const GlApi& gl) : gl_(gl) {}
  ~ProgramCache();
  ProgramCache(const ProgramCache&) = delete;
  ProgramCache& operator=(const ProgramCache&) = delete;

  // The program for the stage's operations; null when the GL refuses to build it.
  const Program* Find(const refdevice::TextureStage& stage);

 private:
  using Key = std::tuple<int, int, int, int, int, int>;
  bool Build(const refdevice::TextureStage& stage, Program& program) const;

  const GlApi& gl_;
  std::map<Key, Program> programs_;
};

}  // namespace gldevice
