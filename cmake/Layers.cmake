# Two layers: engine libraries (no windows; tests drive them directly) and
# window libraries beside them. Each library says which it is, so that the
# layer check below knows which headers belong to windows.

function(gw_engine_library name)
  add_library(${name} STATIC ${ARGN})
  target_link_libraries(${name} PUBLIC gw_include_root)
  set_property(GLOBAL APPEND PROPERTY GW_ENGINE_LIBRARIES ${name})
  add_dependencies(${name} gw_layer_check)
endfunction()

function(gw_window_library name)
  add_library(${name} STATIC ${ARGN})
  target_link_libraries(${name} PUBLIC gw_include_root Qt6::Widgets)
  set_property(GLOBAL APPEND PROPERTY GW_WINDOW_LIBRARIES ${name})
endfunction()

# Every include names its layer ("viewer/PictureLoader.h") from src/.
add_library(gw_include_root INTERFACE)
target_include_directories(gw_include_root INTERFACE
  ${PROJECT_SOURCE_DIR}/src ${PROJECT_BINARY_DIR}/generated)

function(_gw_sources_of target out)
  get_target_property(srcs ${target} SOURCES)
  get_target_property(dir ${target} SOURCE_DIR)
  set(result "")
  foreach(s ${srcs})
    if(s MATCHES "^\\$<")   # generator expressions: nothing of ours
      continue()
    endif()
    if(NOT IS_ABSOLUTE ${s})
      set(s ${dir}/${s})
    endif()
    list(APPEND result ${s})
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# Called once every library is defined. At configure time: no engine library
# links a window library or Qt Widgets. At build time, before any engine
# library compiles: no engine source includes a window header.
function(gw_check_layers)
  get_property(engines GLOBAL PROPERTY GW_ENGINE_LIBRARIES)
  get_property(windows GLOBAL PROPERTY GW_WINDOW_LIBRARIES)
  set(window_headers "")
  foreach(w ${windows})
    _gw_sources_of(${w} srcs)
    foreach(s ${srcs})
      if(s MATCHES "\\.h$")
        file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR}/src ${s})
        list(APPEND window_headers ${rel})
      endif()
    endforeach()
  endforeach()
  set(engine_sources "")
  foreach(e ${engines})
    get_target_property(links ${e} LINK_LIBRARIES)
    foreach(l ${links})
      if(l IN_LIST windows OR l STREQUAL "Qt6::Widgets")
        message(FATAL_ERROR "Engine library ${e} links the window side (${l})")
      endif()
    endforeach()
    _gw_sources_of(${e} srcs)
    list(APPEND engine_sources ${srcs})
  endforeach()
  set(list_file ${PROJECT_BINARY_DIR}/layer-check.cmake)
  file(WRITE ${list_file}
    "set(GW_WINDOW_HEADERS \"${window_headers}\")\nset(GW_ENGINE_SOURCES \"${engine_sources}\")\n")
  set(stamp ${PROJECT_BINARY_DIR}/layer-check.stamp)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DLIST=${list_file} -DSTAMP=${stamp}
            -P ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake
    DEPENDS ${engine_sources} ${list_file} ${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake
    COMMENT "Checking that no engine source includes a window header")
  add_custom_target(gw_layer_check DEPENDS ${stamp})
endfunction()
