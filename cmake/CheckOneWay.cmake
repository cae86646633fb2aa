# Fails on a new copy of something the game does one way: each check names what marks a copy
# in a source line, where it looks, the files that are the one way itself, and what to write
# instead. A new check is one zrk_one_way() call in the list below.
#
# Run as a script: cmake -DZRK_SOURCE_DIR=<tree> -P CheckOneWay.cmake
# Self-test: cmake -DZRK_SOURCE_DIR=<tree> -DZRK_SAMPLES=<folder> -P CheckOneWay.cmake reads only
# <folder>: every check must mark each line under its "// <name>" heading in <folder>/Copies.cpp
# and none in <folder>/Clean.cpp.
cmake_minimum_required(VERSION 3.22)

set(ZRK_ONE_WAY_CHECKS "")

# zrk_one_way(<name> PATTERN <regex> IN <folders...> [EXCEPT <files...>] INSTEAD <text>)
# Folders and files are relative to the tree; comment lines are never marked. A PATTERN is a
# CMake regex (no \b, \d or lazy repeats) whose square brackets pair up: CMake reads a lone
# bracket as opening a list element and the arguments after it run together. Add lines of
# what the check marks under its heading in tests/support/one-way-samples/Copies.cpp, and
# look-alikes it must leave to Clean.cpp.
function(zrk_one_way name)
  cmake_parse_arguments(C "" "PATTERN;INSTEAD" "IN;EXCEPT" ${ARGN})
  set(ZRK_ONE_WAY_CHECKS ${ZRK_ONE_WAY_CHECKS} ${name} PARENT_SCOPE)
  set(ZRK_CHECK_${name}_PATTERN "${C_PATTERN}" PARENT_SCOPE)
  set(ZRK_CHECK_${name}_IN "${C_IN}" PARENT_SCOPE)
  set(ZRK_CHECK_${name}_EXCEPT "${C_EXCEPT}" PARENT_SCOPE)
  set(ZRK_CHECK_${name}_INSTEAD "${C_INSTEAD}" PARENT_SCOPE)
endfunction()

# The game's client states, as the checks below spell them.
set(_states "(logon|room|playerhall|zrk_personalroom|zrk_createchar|battle|battle_newbie)")

# ---- the checks ----

zrk_one_way(event-id
  PATTERN "(raiseEvent|raise|handle|callback|fillParams|find)\\( *[0-9]|getEventId\\(\\) override { return [0-9]|hallEvent<[A-Za-z]+>\\( *[0-9]|k[A-Za-z]*EventIds? = [0-9]|k[A-Za-z]*EventIds?\\[[^=]*\\] = { *[0-9]|[eE]vent[Ii]d(\\(\\))? *[!=]= *[1-9]|[1-9][0-9]* *[!=]= *[A-Za-z_.>-]*[eE]vent[Ii]d"
  IN src/ZRKMain platform/gui/src
  INSTEAD "name the id from the table: gui::EventId::Name (platform/gui/include/gui/EventId.h)")

# The battle's numbered events (land/LandEventId.h) as bare numbers, not inside a longer one.
set(_land_events "(611[2-4]|6201|650[1-9]|651[0-4]|7000)([^0-9]|$)")

zrk_one_way(land-event-id
  PATTERN "((make|Event)[^;]*[(?:|&, ]|(==|!=|case)|(k[A-Za-z]*|[tT]ypes?|[iI]ds?)[^;=:]*[=:] *{?[^;(]*[ {]) *${_land_events}"
  IN platform/land src
  EXCEPT platform/land/include/land/LandEventId.h
  INSTEAD "name the event from the table: LandEventId::Name (platform/land/include/land/LandEventId.h)")

zrk_one_way(state-name
  PATTERN "(addState|changeState|teleportAdv|currentStateIf|getState)\\( *\"|(teleport|setName)\\([^;]*\"${_states}\"|(getName\\(\\)|StateName\\(\\)|returnState\\(\\)|from|prev|state) *[!=]= *\"${_states}\"|(State|state)[A-Za-z]* = \"${_states}\""
  IN src/ZRKMain platform
  EXCEPT platform/core/include/core/ClientStateTable.h platform/core/src/ClientStateTable.cpp
  INSTEAD "name the state from the table: core::ClientStateTable::kName, and list its changes there")

zrk_one_way(json-reader
  PATTERN "Json::Reader|CharReaderBuilder"
  IN src platform tests/support tests/platform tests/data tests/events tests/callbacks tests/gui tests/rooms tests/battle
  EXCEPT platform/util/src/JsonText.cpp tests/support/one-way-samples/Copies.cpp
  INSTEAD "read JSON with core::JsonText (util/JsonText.h), passing its Limits; tests use zrktest::parseJson")

zrk_one_way(hand-disconnect
  PATTERN "(\\.|->)disconnect\\(\\)"
  IN src platform
  EXCEPT platform/core/src/ScopedEventConnection.cpp
  INSTEAD "hold a CEGUI subscription in core::ScopedEventConnection (core/ScopedEventConnection.h), a signal's in a boost::signals2::scoped_connection: it ends with its holder; end one early with reset() or by assigning an empty connection")

# CEGUI's own scoped connection ends its subscription whenever it is copied: one guard serves.
zrk_one_way(cegui-scoped-connection
  PATTERN "CEGUI::Event::ScopedConnection"
  IN src platform tests
  EXCEPT tests/support/one-way-samples/Copies.cpp
  INSTEAD "hold a CEGUI subscription in core::ScopedEventConnection (core/ScopedEventConnection.h): it moves without ending and lives in any container")

zrk_one_way(box-numbers
  PATTERN "(messageBox[A-Za-z0-9]*\\(|^ *)[^;]*[0-9], *9, *[0-9]+, *[0-9]+\\)"
  IN src/ZRKMain platform
  INSTEAD "ask for a box by kind: core::Frame::kNoticeBox, kQuestionBox, or kind.sized(width, height)")

zrk_one_way(log-number
  PATTERN "logger::instance\\(\\)\\.log\\(|(logLine|guiLog|landLog|sceneLog|writeLog|writeLogf|LandEvents::log)\\( *[0-9]"
  IN src/ZRKMain platform
  EXCEPT platform/yake/src/Logger.cpp
  INSTEAD "write through a yake::logging::Channel (or the module's writeLog) with a named Severity")

# ---- the run ----

if(NOT ZRK_SOURCE_DIR)
  message(FATAL_ERROR "CheckOneWay: ZRK_SOURCE_DIR is not set")
endif()

# Lines of `file` (relative to `root`) that the check marks, as "file: text" entries. Semicolons
# and square brackets of the source are held as <s>, <o>, <c> while the lines are a CMake list;
# zrk_one_way_text gives them back.
function(zrk_one_way_scan check root file out)
  set(pattern "${ZRK_CHECK_${check}_PATTERN}")
  file(STRINGS ${root}/${file} any REGEX "${pattern}" LIMIT_COUNT 1)
  if(NOT any)
    set(${out} "" PARENT_SCOPE)
    return()
  endif()
  file(READ ${root}/${file} text)
  string(REPLACE ";" "<s>" text "${text}")
  string(REPLACE "[" "<o>" text "${text}")
  string(REPLACE "]" "<c>" text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(hits "")
  foreach(held IN LISTS lines)
    zrk_one_way_text("${held}" line)
    string(STRIP "${line}" line)
    if(NOT line MATCHES "${pattern}" OR line MATCHES "^(//|/\\*|\\*)")
      continue()
    endif()
    string(STRIP "${held}" held)
    list(APPEND hits "  ${file}: ${held}")
  endforeach()
  set(${out} "${hits}" PARENT_SCOPE)
endfunction()

function(zrk_one_way_text held out)
  string(REPLACE "<s>" ";" held "${held}")
  string(REPLACE "<o>" "[" held "${held}")
  string(REPLACE "<c>" "]" held "${held}")
  set(${out} "${held}" PARENT_SCOPE)
endfunction()

# Lines of Copies.cpp under a "// <check>" heading that the check does not mark, as
# "check: text" entries: each sample under its check's heading must be caught.
function(zrk_one_way_missed root out)
  file(READ ${root}/Copies.cpp text)
  string(REPLACE ";" "<s>" text "${text}")
  string(REPLACE "[" "<o>" text "${text}")
  string(REPLACE "]" "<c>" text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(check "")
  set(missed "")
  foreach(held IN LISTS lines)
    zrk_one_way_text("${held}" line)
    string(STRIP "${line}" line)
    if(line MATCHES "^// ([a-z-]+)$" AND CMAKE_MATCH_1 IN_LIST ZRK_ONE_WAY_CHECKS)
      set(check ${CMAKE_MATCH_1})
    elseif(check AND line AND NOT line MATCHES "^(//|/\\*|\\*)" AND NOT line MATCHES "${ZRK_CHECK_${check}_PATTERN}")
      string(STRIP "${held}" held)
      list(APPEND missed "${check}: ${held}")
    endif()
  endforeach()
  set(${out} "${missed}" PARENT_SCOPE)
endfunction()

if(ZRK_SAMPLES)
  set(faults "")
  foreach(check IN LISTS ZRK_ONE_WAY_CHECKS)
    zrk_one_way_scan(${check} ${ZRK_SAMPLES} Copies.cpp found)
    if(NOT found)
      string(APPEND faults "  ${check} finds no copy in Copies.cpp\n")
    endif()
    zrk_one_way_scan(${check} ${ZRK_SAMPLES} Clean.cpp found)
    foreach(hit IN LISTS found)
      zrk_one_way_text("${hit}" hit)
      string(APPEND faults "  ${check} marks a clean line:${hit}\n")
    endforeach()
  endforeach()
  zrk_one_way_missed(${ZRK_SAMPLES} missed)
  foreach(miss IN LISTS missed)
    zrk_one_way_text("${miss}" miss)
    string(APPEND faults "  ${miss} is not marked\n")
  endforeach()
  if(faults)
    message(FATAL_ERROR "The one-way checks miss or mistake their samples:\n${faults}")
  endif()
  return()
endif()

set(report "")
foreach(check IN LISTS ZRK_ONE_WAY_CHECKS)
  set(found_any "")
  foreach(folder IN LISTS ZRK_CHECK_${check}_IN)
    file(GLOB_RECURSE files RELATIVE ${ZRK_SOURCE_DIR} ${ZRK_SOURCE_DIR}/${folder}/*.h ${ZRK_SOURCE_DIR}/${folder}/*.cpp)
    foreach(file IN LISTS files)
      if(file IN_LIST ZRK_CHECK_${check}_EXCEPT)
        continue()
      endif()
      zrk_one_way_scan(${check} ${ZRK_SOURCE_DIR} ${file} found)
      list(APPEND found_any ${found})
    endforeach()
  endforeach()
  if(found_any)
    list(REMOVE_DUPLICATES found_any)
    list(JOIN found_any "\n" lines)
    zrk_one_way_text("${lines}" lines)
    string(APPEND report "${check}: ${ZRK_CHECK_${check}_INSTEAD}\n${lines}\n")
  endif()
endforeach()

if(report)
  message(FATAL_ERROR "Copies of what the game does one way (cmake/CheckOneWay.cmake):\n${report}")
endif()
