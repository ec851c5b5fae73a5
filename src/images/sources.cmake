target_sources(nimbrix_core PRIVATE
  images/image_catalogue.h images/image_catalogue.cpp
)
