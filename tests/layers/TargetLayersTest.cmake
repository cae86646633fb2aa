# The include check across targets, over a small tree of its own: it reads the link graph of
# the tree's CMake targets, fails the build naming each include a target makes of a header it
# does not link (in a source and in a public header, with angle brackets and quotes, through a
# private link that passes no headers on), lets through what comes with a link passed on, and
# passes once the includes are mended, checking again on the file's change alone.
# Run as: cmake -DZRK_CMAKE_DIR=<cmake/> -DWORK=<scratch folder> -DGENERATOR=<generator>
#         -DCXX=<compiler> -P TargetLayersTest.cmake
cmake_minimum_required(VERSION 3.22)

foreach(var ZRK_CMAKE_DIR WORK GENERATOR CXX)
  if(NOT ${var})
    message(FATAL_ERROR "TargetLayersTest: ${var} is not set")
  endif()
endforeach()

set(tree ${WORK}/tree)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${tree})

# low < high < top; mid links low privately; edge links mid and reaches low's folder by hand.
file(WRITE ${tree}/CMakeLists.txt "cmake_minimum_required(VERSION 3.22)
project(LayersFake LANGUAGES CXX)
add_library(low STATIC low/Low.cpp)
target_include_directories(low PUBLIC low/include PRIVATE high/include)
add_library(high STATIC high/High.cpp)
target_include_directories(high PUBLIC high/include)
target_link_libraries(high PUBLIC low)
add_library(top STATIC top/Top.cpp)
target_link_libraries(top PUBLIC high)
add_library(mid STATIC mid/Mid.cpp mid/Other.cpp)
target_link_libraries(mid PRIVATE low)
add_library(edge STATIC edge/Edge.cpp)
target_include_directories(edge PRIVATE low/include)
target_link_libraries(edge PRIVATE mid)
include(${ZRK_CMAKE_DIR}/TargetLayers.cmake)
zrk_check_target_layers()
")
file(WRITE ${tree}/high/include/high/High.h "#pragma once\n#include <low/Low.h>\ninline int high() { return low() + 1; }\n")
file(WRITE ${tree}/high/High.cpp "#include <high/High.h>\nint highValue() { return high(); }\n")
file(WRITE ${tree}/top/Top.cpp "#include <high/High.h>\n#include <low/Low.h>\nint top() { return high() + low(); }\n")
file(WRITE ${tree}/mid/Mid.cpp "#include <low/Low.h>\nint mid() { return low(); }\n")
# A neighbour's folder of the same first name that no target publishes is not judged.
file(WRITE ${tree}/mid/high/Local.h "#pragma once\n")
file(WRITE ${tree}/mid/Other.cpp "#include \"high/Local.h\"\n")

function(write_bent bent)
  if(bent)
    file(WRITE ${tree}/low/include/low/Low.h "#pragma once\n#include \"high/High.h\"\ninline int low() { return 1; }\n")
    file(WRITE ${tree}/low/Low.cpp "#include <low/Low.h>\n  #  include <high/High.h>\nint lowValue() { return low(); }\n")
    file(WRITE ${tree}/edge/Edge.cpp "#include <low/Low.h>\nint edge() { return low(); }\n")
  else()
    file(WRITE ${tree}/low/include/low/Low.h "#pragma once\ninline int low() { return 1; }\n")
    file(WRITE ${tree}/low/Low.cpp "#include <low/Low.h>\nint lowValue() { return low(); }\n")
    file(WRITE ${tree}/edge/Edge.cpp "int edge() { return 2; }\n")
  endif()
endfunction()

function(build out_rc out_text)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${tree}/build RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(${out_rc} ${rc} PARENT_SCOPE)
  set(${out_text} "${out}${err}" PARENT_SCOPE)
endfunction()

set(failures "")
macro(fail what)
  string(APPEND failures "  ${what}\n")
endmacro()

write_bent(TRUE)
execute_process(COMMAND ${CMAKE_COMMAND} -S ${tree} -B ${tree}/build -G ${GENERATOR} -DCMAKE_CXX_COMPILER=${CXX}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "TargetLayersTest: the small tree does not configure:\n${out}${err}")
endif()

build(rc text)
if(rc EQUAL 0)
  fail("the build of a tree with bent includes passed")
endif()
foreach(fault
    "low/Low.cpp: #  include <high/High.h>: low does not link high"
    "low/include/low/Low.h: #include \"high/High.h\": low does not link high"
    "edge/Edge.cpp: #include <low/Low.h>: edge does not link low")
  string(FIND "${text}" "${fault}" at)
  if(at EQUAL -1)
    fail("not named: ${fault}")
  endif()
endforeach()
foreach(legal "top/Top.cpp" "mid/Mid.cpp" "mid/Other.cpp" "high/High.cpp")
  string(FIND "${text}" "  ${legal}: " at)
  if(NOT at EQUAL -1)
    fail("named though legal: ${legal}")
  endif()
endforeach()

# Mended: the next build checks again because the files changed, and passes.
write_bent(FALSE)
build(rc text)
if(NOT rc EQUAL 0)
  fail("the build of the mended tree failed")
endif()

if(failures)
  message(FATAL_ERROR "TargetLayersTest:\n${failures}\nLast build's output:\n${text}")
endif()
message(STATUS "TargetLayersTest: passed")
