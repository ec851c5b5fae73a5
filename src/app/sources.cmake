target_sources(nimbrix_core PRIVATE
  app/command_line.h app/command_line.cpp
  app/conditions_parser.h app/conditions_parser.cpp
  app/main_window_rules.h app/main_window_rules.cpp
  app/stats_request.h app/stats_request.cpp
  app/moon_phase.h app/moon_phase.cpp app/data/moon_tables.inc
  app/units.h app/units.cpp
)
target_sources(nimbrix_forms PRIVATE
  app/conditions_request.h app/conditions_request.cpp
  app/main_window.h app/main_window.cpp app/main_menus.cpp
  app/needle_gauge.h app/needle_gauge.cpp
  app/splash.h app/splash.cpp
  app/startup.h app/startup.cpp
  app/window_shot.h app/window_shot.cpp
)
