# Image recognition and decoding: defines orbelune_images.
add_library(orbelune_images STATIC
  decoded_image.cpp
  image_recognition.cpp
  image_resource.cpp
  mapped_file.cpp
  image_reader.cpp
  text_scanner.cpp
  processor_features.cpp
  dib_reader.cpp
  tga_reader.cpp
  ppm_reader.cpp
  pfm_reader.cpp
  hdr_reader.cpp
  dds_reader.cpp
  dxt_blocks.cpp
  jpeg_reader.cpp
  png_reader.cpp
)
target_link_libraries(orbelune_images
  PUBLIC orbelune_system_headers orbelune_win32
  PRIVATE JPEG::JPEG PNG::PNG ZLIB::ZLIB)
