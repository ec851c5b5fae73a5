target_sources(nimbrix_core PRIVATE
  settings/color_text.h settings/color_text.cpp
  settings/host_table.h settings/host_table.cpp
  settings/display_color_rules.h
  settings/preferences_rules.h settings/preferences_rules.cpp
  settings/proxy_info.h settings/proxy_info.cpp
  settings/settings_store.h settings/settings_store.cpp
)
target_sources(nimbrix_forms PRIVATE
  settings/display_colors.h settings/display_colors.cpp
  settings/preferences_window.h settings/preferences_window.cpp
)
