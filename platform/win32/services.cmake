# Processor features, timer, mutex, files, registry, resources: sources of orbelune_win32.
target_sources(orbelune_win32 PRIVATE
  kernel_object_table.cpp
  processor.cpp
  runtime_directory.cpp
  timer.cpp
  mutex.cpp
  file.cpp
  registry_document.cpp
  registry_store.cpp
  registry.cpp
  resource_table.cpp
  resource.cpp
)
# The program's resources (resources/CMakeLists.txt) travel with the stand-in, so that every
# program linking it finds them.
target_link_libraries(orbelune_win32 PUBLIC orbelune_resources)
# IsProcessorFeaturePresent answers from the program's one processor probe.
include(${CMAKE_SOURCE_DIR}/platform/processor/processor.cmake)
target_link_libraries(orbelune_win32 PRIVATE orbelune_processor)
