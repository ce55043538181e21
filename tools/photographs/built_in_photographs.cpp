#include "built_in_photographs.h"

#include "rays_picture.h"
#include "sparks_picture.h"

// Quality 95 with colour at every pixel: the saver magnifies a piece of a photograph up to
// twenty times, where lower settings show their 8 x 8 blocks and colour specks in the dark
// ground. Each file still stays under 200 KB.
std::span<const BuiltInPhotograph> BuiltInPhotographs() {
  static constexpr BuiltInPhotograph kPhotographs[] = {
      {"sparks.jpg", DrawSparksPicture, {95, true, true}},  // resource 125, progressive
      {"rays.jpg", DrawRaysPicture, {95, false, true}},     // resource 126, baseline
  };
  return kPhotographs;
}
