# Texture creation, pixel conversion and surface saving: defines orbelune_textures.
add_library(orbelune_textures STATIC
  pixel_format_table.cpp
  half_float.cpp
  srgb.cpp
  argb32_rows.cpp
  argb32_rows_avx2.cpp
  pixel_codec.cpp
  pixel_conversion.cpp
  simple_resamplers.cpp
  bilinear_resampler.cpp
  argb32_bilinear.cpp
  argb32_levels.cpp
  general_resampler.cpp
  load_surface.cpp
  texture_requirements.cpp
  texture_creation.cpp
  bmp_writer.cpp
  surface_saving.cpp
)
target_link_libraries(orbelune_textures
  PUBLIC orbelune_images orbelune_d3d9 orbelune_win32 orbelune_system_headers)
# Pixel values must not depend on the compiler's choice of instructions: no product may be
# fused with a sum, whatever the target processor.
target_compile_options(orbelune_textures PRIVATE
  $<$<OR:$<CXX_COMPILER_ID:GNU>,$<CXX_COMPILER_ID:Clang>>:-ffp-contract=off>)
