# Windows, messages, display backends, GDI subset, message boxes: sources of orbelune_win32.
target_sources(orbelune_win32 PRIVATE
  cursor.cpp
  default_window_proc.cpp
  dib_reader.cpp
  display_bridge.cpp
  display_headless.cpp
  display_sdl.cpp
  display_select.cpp
  gdi_drawing.cpp
  gdi_objects.cpp
  gdi_paint.cpp
  hack_host.cpp
  message_box.cpp
  message_queue.cpp
  resource_images.cpp
  termination_signal.cpp
  text_encoding.cpp
  window_geometry.cpp
  window_lifecycle.cpp
  window_table.cpp
  x11_preview.cpp
)
target_link_libraries(orbelune_win32 PRIVATE PkgConfig::SDL2 PkgConfig::X11 PkgConfig::GTK3)
