find_package(JPEG REQUIRED)

# The image catalogue, the automatic wallpaper's choices, the working folder and the image
# decoders' checks and limits (Qt Core only).
target_sources(nimbrix_core PRIVATE
  images/image_catalogue.h images/image_catalogue.cpp
  images/gif_check.h images/gif_check.cpp
  images/jpeg_decoder.h images/jpeg_decoder.cpp
  images/wallpaper_choices.h images/wallpaper_choices.cpp
  images/working_folder.h images/working_folder.cpp
)
target_link_libraries(nimbrix_core PRIVATE JPEG::JPEG)

# The picture controls, the image window and the image commands.
target_sources(nimbrix_forms PRIVATE
  images/gif_movie.h images/gif_movie.cpp
  images/gif_image.h images/gif_image.cpp
  images/image_window.h images/image_window.cpp
  images/jpeg_image.h images/jpeg_image.cpp
  images/image_commands.h images/image_commands.cpp
)
