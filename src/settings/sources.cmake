target_sources(nimbrix_core PRIVATE
  settings/color_text.h settings/color_text.cpp
  settings/host_table.h settings/host_table.cpp
  settings/settings_store.h settings/settings_store.cpp
)
target_sources(nimbrix_forms PRIVATE
  settings/display_colors.h settings/display_colors.cpp
)
