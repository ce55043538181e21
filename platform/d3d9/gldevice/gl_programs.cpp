// Implements: the shaders and the program cache of gl_programs.h. Leaves out: shader binaries
// (the sources are small; each combination compiles once per device).
#include "gl_programs.h"

#include <string>

namespace gldevice {

namespace {

// Row vectors times the Direct3D matrix equal the GL column-major matrix times the vector, so
// the matrix goes up unchanged. Direct3D samples pixel centres at whole coordinates where GL
// samples them half a pixel further on, and its depth runs 0..w where GL's runs -w..w.
// flip is the sign of y: render-target textures are drawn upside down in GL terms,
// so that their row 0 is the Direct3D top row, as texture coordinate v = 0 expects.
constexpr char kVertexShader[] = R"(#version 120
attribute vec3 position;
attribute vec4 diffuse;
attribute vec2 texcoord;
uniform mat4 transform;
uniform float flip;
uniform vec2 pixel;
varying vec4 color;
varying vec2 uv;
void main() {
  vec4 clip = transform * vec4(position, 1.0);
  gl_Position = vec4(clip.x + clip.w * pixel.x, clip.y * flip + clip.w * pixel.y, 2.0 * clip.z - clip.w, clip.w);
  color = diffuse.zyxw;
  uv = texcoord;
}
)";

std::string Argument(refdevice::StageArgument argument, const char* channels) {
  // At stage 0 the current colour is the diffuse colour.
  return std::string(argument == refdevice::StageArgument::Texture ? "texel" : "color") + channels;
}

// The GLSL expression of one combiner on the given channels (".rgb" or ".a").
std::string Combine(const refdevice::StageCombiner& combiner, const char* channels) {
  const std::string first = Argument(combiner.argument1, channels);
  const std::string second = Argument(combiner.argument2, channels);
  switch (combiner.operation) {
    case refdevice::StageOperation::Disable:
      return std::string("color") + channels;
    case refdevice::StageOperation::SelectArg1:
      return first;
    case refdevice::StageOperation::SelectArg2:
      return second;
    case refdevice::StageOperation::Modulate:
      return first + " * " + second;
    case refdevice::StageOperation::Modulate2x:
      return "min(2.0 * " + first + " * " + second + ", 1.0)";
    case refdevice::StageOperation::Modulate4x:
      return "min(4.0 * " + first + " * " + second + ", 1.0)";
    case refdevice::StageOperation::Add:
      return "min(" + first + " + " + second + ", 1.0)";
  }
  return std::string("color") + channels;
}

std::string FragmentShader(const refdevice::TextureStage& stage) {
  // A disabled colour operation switches the whole stage off, alpha included.
  const bool off = stage.color.operation == refdevice::StageOperation::Disable;
  const std::string rgb = off ? "color.rgb" : Combine(stage.color, ".rgb");
  const std::string alpha = off ? "color.a" : Combine(stage.alpha, ".a");
  return "#version 120\n"
         "uniform sampler2D picture;\n"
         "varying vec4 color;\n"
         "varying vec2 uv;\n"
         "void main() {\n"
         "  vec4 texel = texture2D(picture, uv);\n"
         "  gl_FragColor = vec4(" +
         rgb + ", " + alpha +
         ");\n"
         "}\n";
}

GLuint Compile(const GlApi& gl, GLenum type, const std::string& source) {
  const GLuint shader = gl.CreateShader(type);
  const char* text = source.c_str();
  gl.ShaderSource(shader, 1, &text, nullptr);
  gl.CompileShader(shader);
  GLint compiled = GL_FALSE;
  gl.GetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
  if (compiled != GL_TRUE) {
    gl.DeleteShader(shader);
    return 0;
  }
  return shader;
}

}  // namespace

ProgramCache::~ProgramCache() {
  for (const auto& entry : programs_) gl_.DeleteProgram(entry.second.name);
}

const Program* ProgramCache::Find(const refdevice::TextureStage& stage) {
  const Key key{static_cast<int>(stage.color.operation), static_cast<int>(stage.color.argument1),
                static_cast<int>(stage.color.argument2), static_cast<int>(stage.alpha.operation),
                static_cast<int>(stage.alpha.argument1), static_cast<int>(stage.alpha.argument2)};
  if (const auto found = programs_.find(key); found != programs_.end()) return &found->second;
  Program program;
  if (!Build(stage, program)) return nullptr;
  return &programs_.emplace(key, program).first->second;
}

bool ProgramCache::Build(const refdevice::TextureStage& stage, Program& program) const {
  const GLuint vertex = Compile(gl_, GL_VERTEX_SHADER, kVertexShader);
  const GLuint fragment = Compile(gl_, GL_FRAGMENT_SHADER, FragmentShader(stage));
  if (vertex == 0 || fragment == 0) {
    if (vertex != 0) gl_.DeleteShader(vertex);
    if (fragment != 0) gl_.DeleteShader(fragment);
    return false;
  }
  const GLuint name = gl_.CreateProgram();
  gl_.AttachShader(name, vertex);
  gl_.AttachShader(name, fragment);
  gl_.BindAttribLocation(name, kPositionAttribute, "position");
  gl_.BindAttribLocation(name, kDiffuseAttribute, "diffuse");
  gl_.BindAttribLocation(name, kTexcoordAttribute, "texcoord");
  gl_.LinkProgram(name);
  gl_.DeleteShader(vertex);
  gl_.DeleteShader(fragment);
  GLint linked = GL_FALSE;
  gl_.GetProgramiv(name, GL_LINK_STATUS, &linked);
  if (linked != GL_TRUE) {
    gl_.DeleteProgram(name);
    return false;
  }
  program.name = name;
  program.transform = gl_.GetUniformLocation(name, "transform");
  program.flip = gl_.GetUniformLocation(name, "flip");
  program.pixel = gl_.GetUniformLocation(name, "pixel");
  gl_.UseProgram(name);
  gl_.Uniform1i(gl_.GetUniformLocation(name, "picture"), 0);
  return true;
}

}  // namespace gldevice
