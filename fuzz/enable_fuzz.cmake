# Included into the Vareli project by scripts/fuzz.sh
# (-DCMAKE_PROJECT_Vareli_INCLUDE=<this file>): the root's list of folders
# does not name fuzz/, so fuzz/CMakeLists.txt is read once the root has
# defined every library (a deferred call may include a file but not add a
# folder), reusing those definitions instead of a second list of sources.
function(vareli_add_fuzzers)
  if(NOT TARGET spot_rows_fuzzer)
    include(${CMAKE_SOURCE_DIR}/fuzz/CMakeLists.txt)
  endif()
endfunction()
cmake_language(DEFER CALL vareli_add_fuzzers)
