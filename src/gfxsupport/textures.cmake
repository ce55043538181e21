# Texture creation, pixel conversion and surface saving: defines orbelune_textures.
add_library(orbelune_textures STATIC
  pixel_format_table.cpp
  half_float.cpp
  srgb.cpp
  argb32_rows.cpp
  pixel_codec.cpp
  pixel_conversion.cpp
  simple_resamplers.cpp
  bilinear_resampler.cpp
  argb32_bilinear.cpp
  general_resampler.cpp
  load_surface.cpp
  texture_requirements.cpp
  texture_creation.cpp
  bmp_writer.cpp
  surface_saving.cpp
)
target_link_libraries(orbelune_textures
  PUBLIC orbelune_images orbelune_d3d9 orbelune_win32 orbelune_system_headers)
