# The code keeps the committed format (.clang-format). Fails naming each file clang-format
# would change; scripts/format applies it.
#
# Run as a script: cmake -DZRK_SOURCE_DIR=<tree> -DZRK_CLANG_FORMAT=<program> [-DZRK_FIX=ON]
#                        -P CheckFormat.cmake
# Formats differ between clang-format versions: the one the format was applied with is 14.
cmake_minimum_required(VERSION 3.22)

if(NOT ZRK_CLANG_FORMAT OR NOT EXISTS "${ZRK_CLANG_FORMAT}")
  message(FATAL_ERROR "no clang-format 14 found: scripts/setup installs it")
endif()
execute_process(COMMAND ${ZRK_CLANG_FORMAT} --version OUTPUT_VARIABLE _version)
if(NOT _version MATCHES "version 14\\.")
  message(FATAL_ERROR "${ZRK_CLANG_FORMAT} is not clang-format 14: ${_version}")
endif()

set(_files "")
foreach(folder src platform tests bench launcher cmake)
  file(GLOB_RECURSE _found RELATIVE ${ZRK_SOURCE_DIR} ${ZRK_SOURCE_DIR}/${folder}/*.cpp ${ZRK_SOURCE_DIR}/${folder}/*.h)
  list(APPEND _files ${_found})
endforeach()
# The check samples are lines to match, not code.
list(FILTER _files EXCLUDE REGEX "^tests/support/one-way-samples/")
list(SORT _files)

if(ZRK_FIX)
  set(_mode -i)
else()
  set(_mode --dry-run)
endif()
set(_bad "")
list(LENGTH _files _count)
set(_start 0)
while(_start LESS _count)
  list(SUBLIST _files ${_start} 100 _chunk)
  math(EXPR _start "${_start} + 100")
  execute_process(COMMAND ${ZRK_CLANG_FORMAT} ${_mode} ${_chunk}
    WORKING_DIRECTORY ${ZRK_SOURCE_DIR} ERROR_VARIABLE _err RESULT_VARIABLE _rc)
  if(NOT _rc EQUAL 0)
    message(FATAL_ERROR "clang-format failed: ${_err}")
  endif()
  # --dry-run names each file it would change in its warnings.
  string(REGEX MATCHALL "[^\n:]+:[0-9]+:[0-9]+: warning: code should be clang-formatted" _warnings "${_err}")
  foreach(w ${_warnings})
    string(REGEX REPLACE ":[0-9]+:[0-9]+: warning.*" "" f "${w}")
    list(APPEND _bad ${f})
  endforeach()
endwhile()

if(_bad)
  list(REMOVE_DUPLICATES _bad)
  list(JOIN _bad "\n  " _list)
  message(FATAL_ERROR "not in the committed format (scripts/format applies it):\n  ${_list}")
endif()
message(STATUS "${_count} files in the committed format")
