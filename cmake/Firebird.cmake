# firebird-dev ships no pkg-config or CMake package file.
find_path(FIREBIRD_INCLUDE_DIR ibase.h REQUIRED)
find_library(FIREBIRD_LIBRARY fbclient REQUIRED)
add_library(Firebird::fbclient UNKNOWN IMPORTED)
set_target_properties(Firebird::fbclient PROPERTIES
  IMPORTED_LOCATION "${FIREBIRD_LIBRARY}"
  INTERFACE_INCLUDE_DIRECTORIES "${FIREBIRD_INCLUDE_DIR}")
