# The include check across targets: an include of <lib/...> (or "lib/...") that resolves to a
# header another target publishes is legal only in a target that links that one, directly or
# through the libraries it links. The order is the CMake target graph itself: no list to keep.
#
# zrk_check_target_layers() (call it once, after every target is defined) reads the graph:
# the include folders each target publishes (INTERFACE_INCLUDE_DIRECTORIES), what it links
# (LINK_LIBRARIES, INTERFACE_LINK_LIBRARIES), and the files it holds (its sources, the headers
# beside them, everything under the folders it publishes). It writes that
# to <build>/target-layers.cmake and adds the target zrk_target_layers, part of every build,
# that runs cmake/CheckTargetLayers.cmake over the files whenever one changes.

set(_ZRK_TARGET_LAYERS_DIR ${CMAKE_CURRENT_LIST_DIR})

# TRUE in `out` for a path of the source tree (not of the build tree).
function(_zrk_layer_ours path out)
  string(FIND "${path}/" "${CMAKE_SOURCE_DIR}/" at)
  string(FIND "${path}/" "${CMAKE_BINARY_DIR}/" inBuild)
  if(at EQUAL 0 AND NOT inBuild EQUAL 0)
    set(${out} TRUE PARENT_SCOPE)
  else()
    set(${out} FALSE PARENT_SCOPE)
  endif()
endfunction()

# Every buildsystem target of `dir` and the folders below it.
function(_zrk_layer_targets dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    _zrk_layer_targets(${sub} more)
    list(APPEND targets ${more})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

# The target names among link items: flags, files and system libraries left out, aliases
# resolved. A static library's private links come through as $<LINK_ONLY:...>: linked, but
# they pass no headers on, so they are left out too.
function(_zrk_layer_link_targets out)
  set(found "")
  foreach(item IN LISTS ARGN)
    if(item MATCHES "^\\$<|^::@|^-" OR NOT TARGET "${item}")
      continue()
    endif()
    get_target_property(aliased "${item}" ALIASED_TARGET)
    if(aliased)
      set(item ${aliased})
    endif()
    list(APPEND found ${item})
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# The folders of the source tree a target publishes (PUBLIC or INTERFACE include folders). A
# folder a target adds only for itself (PRIVATE) publishes nothing: naming another target's
# folder that way does not make its headers one's own.
function(_zrk_layer_include_dirs target out)
  set(dirs "")
  get_target_property(values ${target} INTERFACE_INCLUDE_DIRECTORIES)
  if(values)
    foreach(dir IN LISTS values)
      string(REGEX REPLACE "^\\$<BUILD_INTERFACE:(.*)>$" "\\1" dir "${dir}")
      if(dir MATCHES "^\\$<" OR NOT IS_DIRECTORY "${dir}")
        continue()
      endif()
      file(REAL_PATH "${dir}" dir)
      _zrk_layer_ours("${dir}" ours)
      if(ours)
        list(APPEND dirs ${dir})
      endif()
    endforeach()
  endif()
  list(REMOVE_DUPLICATES dirs)
  set(${out} ${dirs} PARENT_SCOPE)
endfunction()

function(zrk_check_target_layers)
  _zrk_layer_targets(${CMAKE_SOURCE_DIR} all)
  set(kinds STATIC_LIBRARY SHARED_LIBRARY MODULE_LIBRARY OBJECT_LIBRARY INTERFACE_LIBRARY EXECUTABLE)
  set(targets "")
  foreach(target IN LISTS all)
    get_target_property(type ${target} TYPE)
    if(type IN_LIST kinds)
      list(APPEND targets ${target})
    endif()
  endforeach()

  # What each target links itself, what it passes on to those that link it, and the include
  # folders it publishes.
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    set(own "")
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(own ${target} LINK_LIBRARIES)
    endif()
    get_target_property(passed ${target} INTERFACE_LINK_LIBRARIES)
    _zrk_layer_link_targets(direct_${target} ${own} ${passed})
    _zrk_layer_link_targets(passed_${target} ${passed})
    _zrk_layer_include_dirs(${target} dirs_${target})
  endforeach()

  set(graph "# Written by cmake/TargetLayers.cmake at configure time; read by cmake/CheckTargetLayers.cmake.\n")
  string(APPEND graph "set(ZRK_LAYER_SOURCE_DIR \"${CMAKE_SOURCE_DIR}\")\n")
  string(APPEND graph "set(ZRK_LAYER_TARGETS \"${targets}\")\n")
  set(allFiles "")
  foreach(target IN LISTS targets)
    # Everything the target links, and what those pass on, and so on.
    set(closure ${target})
    set(queue ${direct_${target}})
    while(queue)
      list(POP_FRONT queue next)
      if(next IN_LIST closure)
        continue()
      endif()
      list(APPEND closure ${next})
      if(DEFINED passed_${next})
        list(APPEND queue ${passed_${next}})
      else()
        # A target outside the graph read here (imported): only what it passes on.
        get_target_property(passed ${next} INTERFACE_LINK_LIBRARIES)
        if(passed)
          _zrk_layer_link_targets(more ${passed})
          list(APPEND queue ${more})
        endif()
      endif()
    endwhile()

    # The files the target holds.
    get_target_property(sourceDir ${target} SOURCE_DIR)
    get_target_property(sources ${target} SOURCES)
    set(files "")
    set(folders "")
    foreach(source IN LISTS sources)
      if(source MATCHES "^\\$<")
        continue()
      endif()
      get_filename_component(source "${source}" ABSOLUTE BASE_DIR "${sourceDir}")
      _zrk_layer_ours("${source}" ours)
      if(NOT ours OR NOT EXISTS "${source}")
        continue()
      endif()
      list(APPEND files ${source})
      get_filename_component(folder "${source}" DIRECTORY)
      list(APPEND folders ${folder})
    endforeach()
    list(REMOVE_DUPLICATES folders)
    foreach(folder IN LISTS folders)
      file(GLOB beside ${folder}/*.h ${folder}/*.hpp)
      list(APPEND files ${beside})
    endforeach()
    foreach(dir IN LISTS dirs_${target})
      file(GLOB_RECURSE under ${dir}/*.h ${dir}/*.hpp ${dir}/*.cpp)
      list(APPEND files ${under})
    endforeach()
    list(REMOVE_DUPLICATES files)
    list(APPEND allFiles ${files})

    string(APPEND graph "set(ZRK_LAYER_LINKS_${target} \"${closure}\")\n")
    string(APPEND graph "set(ZRK_LAYER_DIRS_${target} \"${dirs_${target}}\")\n")
    string(APPEND graph "set(ZRK_LAYER_FILES_${target} \"${files}\")\n")
  endforeach()
  list(REMOVE_DUPLICATES allFiles)

  # Rewritten only when the graph changed, so that an unchanged graph checks nothing again.
  set(graphFile ${CMAKE_BINARY_DIR}/target-layers.cmake)
  file(WRITE ${graphFile}.new "${graph}")
  file(COPY_FILE ${graphFile}.new ${graphFile} ONLY_IF_DIFFERENT)
  file(REMOVE ${graphFile}.new)

  set(stamp ${CMAKE_BINARY_DIR}/target-layers.checked)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DZRK_LAYER_GRAPH=${graphFile} -DZRK_STAMP=${stamp}
      -P ${_ZRK_TARGET_LAYERS_DIR}/CheckTargetLayers.cmake
    DEPENDS ${allFiles} ${graphFile} ${_ZRK_TARGET_LAYERS_DIR}/CheckTargetLayers.cmake
    COMMENT "Checking the includes across targets against the link graph")
  add_custom_target(zrk_target_layers ALL DEPENDS ${stamp})
endfunction()
