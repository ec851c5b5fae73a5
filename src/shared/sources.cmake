# The program-wide vocabulary below every subsystem: the error kinds, the program state and
# the text helpers (Windows-1252 pages, replace_all).
target_sources(nimbrix_core PRIVATE
  shared/app_error.h
  shared/on_demand.h
  shared/program_state.h
  shared/page_text.h shared/page_text.cpp
  shared/replace_all.h shared/replace_all.cpp
)
