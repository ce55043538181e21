// The bench frame drawn through the Direct3D 9 interface, as the saver draws: a window, a device
// without presentation pacing (the reference device in a hidden window, or the OpenGL device
// in a shown one), buffers, textures and states, two passes.
#pragma once

#include <memory>
#include <string>

#include "d3d9api.h"
#include "scene_files.h"

class D3d9SceneRenderer {
 public:
  // Returns null and sets `error` when the window, the device or a resource cannot be made.
  static std::unique_ptr<D3d9SceneRenderer> Create(const SceneData& scene, D3DDEVTYPE deviceType, int width, int height,
                                                   int threads, std::string& error);
  ~D3d9SceneRenderer();

  // Without the mask the disc's full extent shows, for checking its coverage.
  bool DrawFrame(float theta, bool withMask = true);
  bool WriteFrame(const std::string& path);
  // Shows the frame; on the OpenGL device that is what makes the GL finish it.
  bool PresentFrame();

  struct Objects;

 private:
  explicit D3d9SceneRenderer(std::unique_ptr<Objects> objects);
  std::unique_ptr<Objects> objects_;
};
