# Image recognition and decoding: defines orbelune_images.
