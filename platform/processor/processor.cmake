# The processor's vector instructions, asked in one place: a library below the Win32 stand-in
# and the reference device, which both include this file and link it.
if(NOT TARGET orbelune_processor)
  add_library(orbelune_processor STATIC ${CMAKE_CURRENT_LIST_DIR}/processor_features.cpp)
  target_include_directories(orbelune_processor PUBLIC ${CMAKE_CURRENT_LIST_DIR})
endif()
