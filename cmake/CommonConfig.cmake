# Settings every target of the project shares.
add_library(tarvex_config INTERFACE)
target_compile_features(tarvex_config INTERFACE cxx_std_17)
target_compile_options(tarvex_config INTERFACE -Wall -Wextra)
target_compile_definitions(tarvex_config INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CAST_TO_ASCII
  QT_NO_URL_CAST_FROM_STRING
  QT_USE_QSTRINGBUILDER
  QT_DISABLE_DEPRECATED_UP_TO=0x060000
  TARVEX_VERSION="${PROJECT_VERSION}")
