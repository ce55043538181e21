# X-file reading and triangle meshes: defines orbelune_meshes.
