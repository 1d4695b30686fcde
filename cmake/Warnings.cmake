# One target that carries the compile settings every target of the project uses.
add_library(ts_settings INTERFACE)
target_compile_features(ts_settings INTERFACE cxx_std_20)
target_compile_options(ts_settings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual
  -Wcast-align -Wformat=2 -Wimplicit-fallthrough)
# CI turns warnings into errors. Cached, so that a re-configure that
# `cmake --build` starts by itself keeps it.
option(TRACESWEEP_WERROR "Treat warnings as errors" OFF)
if(DEFINED ENV{CI})
  set(TRACESWEEP_WERROR ON CACHE BOOL "Treat warnings as errors" FORCE)
endif()
if(TRACESWEEP_WERROR)
  target_compile_options(ts_settings INTERFACE -Werror)
endif()
target_include_directories(ts_settings INTERFACE ${PROJECT_SOURCE_DIR}/src)
target_compile_definitions(ts_settings INTERFACE
                           TRACESWEEP_MAKER_URL="${TRACESWEEP_MAKER_URL}")
