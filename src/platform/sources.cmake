target_sources(nimbrix_core PRIVATE
  platform/desktop.h
  platform/guarded.h platform/guarded.cpp
  platform/settings_backend.h platform/settings_backend.cpp
)
target_sources(nimbrix_forms PRIVATE
  platform/help_window.h platform/help_window.cpp
  platform/qt_desktop.h platform/qt_desktop.cpp
  platform/wallpaper.h platform/wallpaper.cpp
)
if(NOT WIN32)
  target_link_libraries(nimbrix_forms PUBLIC Qt6::DBus)
endif()
