# nlohmann_json::nlohmann_json: the system's package, else (a cross build
# finds no package of the target system) the build machine's copy of the
# headers, which are the whole library.
find_package(nlohmann_json 3 QUIET GLOBAL)
if(NOT TARGET nlohmann_json::nlohmann_json)
  # Copied apart: never the build machine's whole include folder.
  find_path(TS_NLOHMANN_INCLUDE nlohmann/json.hpp PATHS /usr/include /usr/local/include
            NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  set(ts_json_include ${CMAKE_BINARY_DIR}/deps/nlohmann-json/include)
  file(COPY ${TS_NLOHMANN_INCLUDE}/nlohmann DESTINATION ${ts_json_include})
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
  target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE ${ts_json_include})
endif()

