find_package(JPEG REQUIRED)

# The image decoders' checks and limits (Qt Core only).
target_sources(nimbrix_core PRIVATE
  images/gif_check.h images/gif_check.cpp
  images/jpeg_decoder.h images/jpeg_decoder.cpp
)
target_link_libraries(nimbrix_core PRIVATE JPEG::JPEG)

target_sources(nimbrix_core PRIVATE
  images/wallpaper_choices.h images/wallpaper_choices.cpp
  images/working_folder.h images/working_folder.cpp
)
# The picture controls and the image window.
target_sources(nimbrix_forms PRIVATE
  images/gif_movie.h images/gif_movie.cpp
  images/gif_image.h images/gif_image.cpp
  images/image_window.h images/image_window.cpp
  images/jpeg_image.h images/jpeg_image.cpp
  images/image_commands.h images/image_commands.cpp
)
