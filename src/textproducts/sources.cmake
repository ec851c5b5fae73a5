# Text products: the product table and the cleaning of downloaded texts (pure), the forecast
# window.
target_sources(nimbrix_core PRIVATE
  textproducts/text_cleaning.h textproducts/text_cleaning.cpp
  textproducts/text_products.h textproducts/text_products.cpp
)
target_sources(nimbrix_forms PRIVATE
  textproducts/forecast_window.h textproducts/forecast_window.cpp
)
