# Shared compile settings and the helpers every folder uses.
#   vareli_library(NAME SOURCES... [LIBS ...])      portable static library
#   vareli_win32_library(NAME SOURCES... [LIBS ...]) only in the win32 build
#   vareli_test(NAME SOURCES... [LIBS ...] [WIN32_ONLY] [HOST_ONLY])
#       a GoogleTest program; one ctest entry per program (under wine in the
#       win32 build, through CMAKE_CROSSCOMPILING_EMULATOR)

add_library(vareli_options INTERFACE)
if(MSVC)
  target_compile_options(vareli_options INTERFACE /W4)
else()
  target_compile_options(vareli_options INTERFACE -Wall -Wextra)
endif()
target_include_directories(vareli_options INTERFACE ${CMAKE_SOURCE_DIR})
if(WIN32)
  target_compile_definitions(vareli_options INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501)
  if(NOT MSVC)
    target_link_options(vareli_options INTERFACE -static)
  endif()
else()
  target_compile_options(vareli_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
    -fno-sanitize-recover=undefined)
  target_link_options(vareli_options INTERFACE -fsanitize=address,undefined)
endif()

function(vareli_library name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES} ${A_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PUBLIC vareli_options ${A_LIBS})
endfunction()

function(vareli_win32_library name)
  if(WIN32)
    vareli_library(${name} ${ARGN})
  endif()
endfunction()

function(vareli_test name)
  if(NOT VARELI_TESTS)
    return()
  endif()
  cmake_parse_arguments(A "WIN32_ONLY;HOST_ONLY" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if((A_WIN32_ONLY AND NOT WIN32) OR (A_HOST_ONLY AND WIN32))
    return()
  endif()
  add_executable(${name} ${A_SOURCES} ${A_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE vareli_options ${A_LIBS} gmock gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name})
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${A_TIMEOUT})
  if(WIN32)
    # A wine program whose server goes away ends with exit code 0 wherever it
    # was: only googletest's own summary says that every test ran and passed.
    set_tests_properties(${name} PROPERTIES
      PASS_REGULAR_EXPRESSION "\\[  PASSED  \\]"
      FAIL_REGULAR_EXPRESSION "\\[  FAILED  \\]|wine: Unhandled")
  endif()
endfunction()
