# Text products: the product table, the cleaning of downloaded texts and the warning watch's
# rules (pure), the forecast window and the warning watch.
target_sources(nimbrix_core PRIVATE
  textproducts/text_cleaning.h textproducts/text_cleaning.cpp
  textproducts/text_products.h textproducts/text_products.cpp
  textproducts/warning_watch_rules.h textproducts/warning_watch_rules.cpp
)
target_sources(nimbrix_forms PRIVATE
  textproducts/forecast_window.h textproducts/forecast_window.cpp
  textproducts/warning_watch.h textproducts/warning_watch.cpp
)
