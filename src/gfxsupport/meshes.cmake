# X-file reading and triangle meshes: defines orbelune_meshes.
add_library(orbelune_meshes STATIC
  xfile_header.cpp
  xfile_decompress.cpp
  xfile_text_tokenizer.cpp
  xfile_binary_tokenizer.cpp
  xfile_parser.cpp
  xfile_templates.cpp
  mesh_vertex_format.cpp
  mesh_builder.cpp
  mesh_adjacency.cpp
  mesh_merge.cpp
  mesh_loader.cpp
  triangle_mesh.cpp
)
target_link_libraries(orbelune_meshes PUBLIC orbelune_system_headers orbelune_d3d9 orbelune_win32 ZLIB::ZLIB)
