target_sources(nimbrix_core PRIVATE
  platform/desktop.h platform/desktop.cpp
  platform/guarded.h platform/guarded.cpp
  platform/ini_file.h platform/ini_file.cpp
  platform/memory_status.h platform/memory_status.cpp
  platform/settings_backend.h platform/settings_backend.cpp
)
target_sources(nimbrix_forms PRIVATE
  platform/connect_command.cpp
  platform/desktop_notifications.h platform/desktop_notifications.cpp
  platform/help_window.h platform/help_window.cpp
  platform/line_printer.h platform/line_printer.cpp
  platform/outer_size.h platform/outer_size.cpp
  platform/qt_desktop.h platform/qt_desktop.cpp
  platform/single_instance.h platform/single_instance.cpp
  platform/url_opener.h platform/url_opener.cpp
  platform/wallpaper.h platform/wallpaper.cpp
)
if(NOT WIN32)
  target_link_libraries(nimbrix_forms PUBLIC Qt6::DBus)
endif()
