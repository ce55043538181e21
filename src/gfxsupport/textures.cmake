# Texture creation, pixel conversion and surface saving: defines orbelune_textures.
