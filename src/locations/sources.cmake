target_sources(nimbrix_core PRIVATE
  locations/catalogue.h locations/catalogue.cpp
  locations/catalogue_lookups.h locations/catalogue_lookups.cpp
  locations/location_string.h locations/location_string.cpp
  locations/presets.h locations/presets.cpp
  locations/tree_choice.h locations/tree_choice.cpp
  locations/zip_codes.h locations/zip_codes.cpp
)

# The catalogue's data files, read at first use from ":/locations/<file>". They are stored
# uncompressed, so the catalogue reads them in place, without inflating or copying them.
qt_add_resources(nimbrix_core "nimbrix_catalogue"
  PREFIX "/locations"
  OPTIONS --no-compress
  BASE ${CMAKE_CURRENT_LIST_DIR}/data
  FILES
    ${CMAKE_CURRENT_LIST_DIR}/data/tree.tsv
    ${CMAKE_CURRENT_LIST_DIR}/data/states.tsv
    ${CMAKE_CURRENT_LIST_DIR}/data/regions.tsv
    ${CMAKE_CURRENT_LIST_DIR}/data/stations.tsv
    ${CMAKE_CURRENT_LIST_DIR}/data/us_places.tsv
)
# The zip table is large and read by nimbrix-host (and by the warning watch for a zip
# location): kept compressed.
qt_add_resources(nimbrix_core "nimbrix_zips"
  PREFIX "/locations"
  BASE ${CMAKE_CURRENT_LIST_DIR}/data
  FILES
    ${CMAKE_CURRENT_LIST_DIR}/data/zips.tsv
)

target_sources(nimbrix_forms PRIVATE
  locations/location_chooser.h locations/location_chooser.cpp
)
