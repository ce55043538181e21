# Windows, messages, display backends, GDI subset, message boxes, dialogs and choosers: sources of orbelune_win32.
target_sources(orbelune_win32 PRIVATE
  choosers_gtk.cpp
  common_dialogs.cpp
  cursor.cpp
  default_window_proc.cpp
  dialog_box.cpp
  dialog_gtk.cpp
  dialog_headless.cpp
  dialog_model.cpp
  dialog_template.cpp
  dib_reader.cpp
  display_bridge.cpp
  display_headless.cpp
  display_sdl.cpp
  display_select.cpp
  gdi_drawing.cpp
  gdi_objects.cpp
  gdi_paint.cpp
  gtk_session.cpp
  hack_host.cpp
  message_box.cpp
  message_queue.cpp
  resource_images.cpp
  termination_signal.cpp
  text_encoding.cpp
  window_geometry.cpp
  window_lifecycle.cpp
  window_table.cpp
  wsprintf.cpp
  x11_error_trap.cpp
  x11_gl_context.cpp
  x11_preview.cpp
)
target_link_libraries(orbelune_win32 PRIVATE PkgConfig::SDL2 PkgConfig::X11 PkgConfig::GL PkgConfig::GTK3)
