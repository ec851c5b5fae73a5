target_sources(nimbrix_core PRIVATE
  app/app_error.h
  app/main_window_rules.h app/main_window_rules.cpp
  app/program_state.h
)
target_sources(nimbrix_forms PRIVATE
  app/main_window.h app/main_window.cpp
  app/needle_gauge.h app/needle_gauge.cpp
  app/splash.h app/splash.cpp
  app/startup.h app/startup.cpp
)
