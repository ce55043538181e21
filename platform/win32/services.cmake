# Timer, mutex, files, registry, resources: sources of orbelune_win32.
