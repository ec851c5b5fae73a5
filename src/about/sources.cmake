target_sources(nimbrix_core PRIVATE
  about/about_rules.h about/about_rules.cpp
)
target_sources(nimbrix_forms PRIVATE
  about/about_window.h about/about_window.cpp
  about/pie_gauge.h about/pie_gauge.cpp
  about/version_check.h about/version_check.cpp
)
