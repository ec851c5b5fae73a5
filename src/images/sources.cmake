find_package(JPEG REQUIRED)

# The image decoders' checks and limits (Qt Core only).
target_sources(nimbrix_core PRIVATE
  images/gif_check.h images/gif_check.cpp
  images/jpeg_decoder.h images/jpeg_decoder.cpp
)
target_link_libraries(nimbrix_core PRIVATE JPEG::JPEG)
