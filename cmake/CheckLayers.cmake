# Checks that every folder of the module includes only folders below it:
#   services < rooms, webview < events, callbacks < battle < agent < shell
# Run as a script: cmake -DZRK_MODULE_DIR=<src/ZRKMain> [-DZRK_STAMP=<file>] -P CheckLayers.cmake
# It names every include that points up (file, line, what it includes) and fails; a folder the
# order does not know fails too, so a new area is given its place on purpose. A lower layer that
# must reach a higher one calls a hook the higher one registers in services/GameServices.
# A sub-folder is part of its folder's layer (battle/tutorial and battle/hud are the battle).
cmake_minimum_required(VERSION 3.22)

# Each folder's layer, lowest first; rooms and webview are one layer, events and callbacks another.
# Only the first folder of a path counts: battle/tutorial/ (the newbie battle and its lessons) and
# battle/hud/ (the battle's panels and displays) stand in the battle layer with battle/ itself.
set(ZRK_RANK_services 0)
set(ZRK_RANK_rooms 1)
set(ZRK_RANK_webview 1)
set(ZRK_RANK_events 2)
set(ZRK_RANK_callbacks 2)
set(ZRK_RANK_battle 3)
set(ZRK_RANK_agent 4)
set(ZRK_RANK_shell 5)

if(NOT ZRK_MODULE_DIR)
  message(FATAL_ERROR "CheckLayers: ZRK_MODULE_DIR is not set")
endif()

file(GLOB_RECURSE files RELATIVE ${ZRK_MODULE_DIR} ${ZRK_MODULE_DIR}/*.h ${ZRK_MODULE_DIR}/*.cpp)
set(faults "")
foreach(file IN LISTS files)
  string(REGEX MATCH "^[^/]+" folder "${file}")
  if(folder STREQUAL file)
    continue() # files beside the folders belong to no layer
  endif()
  if(NOT DEFINED ZRK_RANK_${folder})
    string(APPEND faults "  ${file}: the folder '${folder}' has no place in the layer order (cmake/CheckLayers.cmake)\n")
    continue()
  endif()
  file(STRINGS ${ZRK_MODULE_DIR}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[A-Za-z_]+/")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([A-Za-z_]+)/.*$" "\\1" target "${line}")
    if(NOT DEFINED ZRK_RANK_${target})
      continue() # not a folder of the module
    endif()
    if(ZRK_RANK_${target} GREATER ZRK_RANK_${folder})
      string(STRIP "${line}" line)
      string(APPEND faults "  ${file}: ${line} (${folder} is below ${target})\n")
    endif()
  endforeach()
endforeach()

if(faults)
  message(FATAL_ERROR "Includes that point up the module's layers "
    "(services < rooms, webview < events, callbacks < battle < agent < shell); "
    "register a hook in services/GameServices instead:\n${faults}")
endif()
if(ZRK_STAMP)
  file(TOUCH ${ZRK_STAMP})
endif()
