# Image recognition and decoding: defines orbelune_images.
add_library(orbelune_images STATIC
  decoded_image.cpp
)
target_link_libraries(orbelune_images
  PUBLIC orbelune_system_headers orbelune_win32
  PRIVATE JPEG::JPEG PNG::PNG ZLIB::ZLIB)
