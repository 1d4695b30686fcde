# LZ4 (the blocks of Firefox's mozLz4 session files) where the system has no
# package of it (Windows): a static library of lz4.c alone, from the copy the
# npm package lz4 ships under deps/lz4/lib, which
# scripts/windows-build-and-test.sh fetches into the build folder beside
# SQLite. It is offered under the name the Linux build gets from pkg-config,
# PkgConfig::LZ4, so the browser module links one name on both systems.
set(TRACESWEEP_LZ4_SOURCE
    ${CMAKE_BINARY_DIR}/deps/npm/node_modules/lz4/deps/lz4/lib
    CACHE PATH "Folder holding lz4.c and lz4.h")

function(ts_lz4_from_source)
  if(TARGET PkgConfig::LZ4)
    return()
  endif()
  if(NOT EXISTS ${TRACESWEEP_LZ4_SOURCE}/lz4.c)
    message(FATAL_ERROR "No LZ4: lz4.c is not in ${TRACESWEEP_LZ4_SOURCE} "
                        "(scripts/windows-build-and-test.sh fetches it)")
  endif()
  # Only the block format: lz4.c and its header, copied so that nothing else
  # of the folder (frame format, xxhash) can be included by mistake.
  set(lz4_dir ${CMAKE_BINARY_DIR}/deps/lz4)
  configure_file(${TRACESWEEP_LZ4_SOURCE}/lz4.c ${lz4_dir}/lz4.c COPYONLY)
  configure_file(${TRACESWEEP_LZ4_SOURCE}/lz4.h ${lz4_dir}/lz4.h COPYONLY)
  add_library(ts_lz4 STATIC ${lz4_dir}/lz4.c)
  set_target_properties(ts_lz4 PROPERTIES C_STANDARD 99)
  target_include_directories(ts_lz4 SYSTEM PUBLIC ${lz4_dir})
  # Not our code: its warnings are not errors here.
  target_compile_options(ts_lz4 PRIVATE -w)
  add_library(PkgConfig::LZ4 ALIAS ts_lz4)
endfunction()
