target_sources(nimbrix_core PRIVATE
  tray/tray_rule.h tray/tray_rule.cpp
)
target_sources(nimbrix_forms PRIVATE
  tray/on_tray.h tray/on_tray.cpp
  tray/picture_file_icon.h tray/picture_file_icon.cpp
)
