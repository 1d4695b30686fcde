# SQLite::SQLite3: the system's SQLite where it has one (Linux), else a static
# library of the amalgamation (Windows), from the folder that holds sqlite3.c
# and sqlite3.h. scripts/windows-build-and-test.sh puts the one the npm package
# better-sqlite3 ships under the build folder, which is the default.
set(TRACESWEEP_SQLITE_AMALGAMATION
    ${CMAKE_BINARY_DIR}/deps/npm/node_modules/better-sqlite3/deps/sqlite3
    CACHE PATH "Folder holding the SQLite amalgamation (sqlite3.c, sqlite3.h)")

# ts_use_sqlite(<required>): defines SQLite::SQLite3, failing when required
# and none can be had.
function(ts_use_sqlite required)
  if(TARGET SQLite::SQLite3)
    return()
  endif()
  find_package(SQLite3 QUIET GLOBAL)
  if(TARGET SQLite::SQLite3)
    return()
  endif()
  if(EXISTS ${TRACESWEEP_SQLITE_AMALGAMATION}/sqlite3.c)
    ts_sqlite_from_amalgamation()
  elseif(required)
    message(FATAL_ERROR "No SQLite: neither the system's nor an amalgamation in "
                        "${TRACESWEEP_SQLITE_AMALGAMATION}")
  endif()
endfunction()

function(ts_sqlite_from_amalgamation)
  add_library(ts_sqlite3 STATIC ${TRACESWEEP_SQLITE_AMALGAMATION}/sqlite3.c)
  set_target_properties(ts_sqlite3 PROPERTIES C_STANDARD 11 C_EXTENSIONS ON)
  target_include_directories(ts_sqlite3 SYSTEM PUBLIC ${TRACESWEEP_SQLITE_AMALGAMATION})
  target_compile_definitions(ts_sqlite3 PRIVATE
    # Serialised: a connection may be used from the thread of a long clearing.
    SQLITE_THREADSAFE=1
    # A double-quoted word is a column name, never a string: a misspelt column
    # in our SQL is an error, not a silent string compare.
    SQLITE_DQS=0
    # Nothing of ours loads code into the library, and a browser's database
    # must not make it.
    SQLITE_OMIT_LOAD_EXTENSION
    # No global memory statistics: one mutex less on every allocation.
    SQLITE_DEFAULT_MEMSTATUS=0
    # Foreign keys stay as the browsers and Linux's SQLite have them (off by
    # default): enforcing them could refuse or widen deletions the browser
    # itself would make.
    SQLITE_DEFAULT_FOREIGN_KEYS=0)
  # The amalgamation is not ours: its warnings are not errors here.
  target_compile_options(ts_sqlite3 PRIVATE -w)
  add_library(SQLite::SQLite3 ALIAS ts_sqlite3)
endfunction()
