# The reference device: a static library that the Direct3D 9 stand-in links.
# Included from platform/d3d9/CMakeLists.txt.
if(NOT TARGET orbelune_refdevice)
  set(ORBELUNE_REFDEVICE_DIR ${CMAKE_CURRENT_LIST_DIR})
  add_library(orbelune_refdevice STATIC
    ${ORBELUNE_REFDEVICE_DIR}/blend.cpp
    ${ORBELUNE_REFDEVICE_DIR}/clipping.cpp
    ${ORBELUNE_REFDEVICE_DIR}/device.cpp
    ${ORBELUNE_REFDEVICE_DIR}/pixel_pipeline.cpp
    ${ORBELUNE_REFDEVICE_DIR}/raster.cpp
    ${ORBELUNE_REFDEVICE_DIR}/sampler.cpp
    ${ORBELUNE_REFDEVICE_DIR}/setup.cpp
    ${ORBELUNE_REFDEVICE_DIR}/setup_avx2.cpp
    ${ORBELUNE_REFDEVICE_DIR}/simd_level.cpp
    ${ORBELUNE_REFDEVICE_DIR}/span_avx2.cpp
    ${ORBELUNE_REFDEVICE_DIR}/span_plans.cpp
    ${ORBELUNE_REFDEVICE_DIR}/span_simd.cpp
    ${ORBELUNE_REFDEVICE_DIR}/texture_stage.cpp
    ${ORBELUNE_REFDEVICE_DIR}/tiles.cpp
    ${ORBELUNE_REFDEVICE_DIR}/vertex_avx2.cpp
    ${ORBELUNE_REFDEVICE_DIR}/vertex_processing.cpp
    ${ORBELUNE_REFDEVICE_DIR}/workers.cpp)
  # The assertion macro is the one header it shares with the system code (src/common).
  target_include_directories(orbelune_refdevice PUBLIC ${ORBELUNE_REFDEVICE_DIR} ${ORBELUNE_REFDEVICE_DIR}/../../../src)
  include(${ORBELUNE_REFDEVICE_DIR}/../../processor/processor.cmake)
  target_link_libraries(orbelune_refdevice PUBLIC Threads::Threads PRIVATE orbelune_processor)
  # The rasterizer is the frame's hot path; it is built optimized even in debug trees.
  target_compile_options(orbelune_refdevice PRIVATE -O3)
  # The AVX2 shader, setup and vertex processing are chosen at run time; without FMA no
  # multiply-add is fused, which keeps their float results those of the scalar code.
  if(CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64")
    set_source_files_properties(${ORBELUNE_REFDEVICE_DIR}/span_avx2.cpp ${ORBELUNE_REFDEVICE_DIR}/setup_avx2.cpp
      ${ORBELUNE_REFDEVICE_DIR}/vertex_avx2.cpp PROPERTIES COMPILE_OPTIONS "-mavx2;-mno-fma;-ffp-contract=off")
  endif()
endif()

