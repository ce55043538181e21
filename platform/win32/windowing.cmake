# Windows, messages, display backends, GDI subset, message boxes: sources of orbelune_win32.
