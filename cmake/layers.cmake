# The layering check: no folder of the show includes a header of a folder it may not use.
# Included from CMakeLists.txt it checks at configure time (a violation stops the
# configuration) and adds the test layers.includes, which runs this file as a script
# (cmake -P) so that an include added after configuring fails the tests too.
#
# Inputs: SHOW_SOURCE_DIR, SHOW_LAYERS (plus app, the top, which nothing may include) and
# SHOW_LAYER_USES_<folder> for each.

function(show_check_layers source_dir result)
  set(problems "")
  foreach(layer ${SHOW_LAYERS} app)
    file(GLOB files ${source_dir}/${layer}/*.cpp ${source_dir}/${layer}/*.h)
    foreach(file ${files})
      file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
      foreach(line ${includes})
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"/]+)/.*$" "\\1" used "${line}")
        if(used STREQUAL layer)
          continue()
        endif()
        list(FIND SHOW_LAYER_USES_${layer} ${used} allowed)
        if(allowed EQUAL -1)
          file(RELATIVE_PATH name ${source_dir} ${file})
          string(STRIP "${line}" line)
          list(APPEND problems "${name}: ${line} (${layer}/ may use: ${SHOW_LAYER_USES_${layer}})")
        endif()
      endforeach()
    endforeach()
  endforeach()
  set(${result} "${problems}" PARENT_SCOPE)
endfunction()

# Stops with every offending line when any folder includes what it may not use.
function(show_require_layers source_dir)
  show_check_layers(${source_dir} problems)
  if(problems)
    list(JOIN problems "\n  " text)
    message(FATAL_ERROR "includes that point up or sideways:\n  ${text}")
  endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE)
  # cmake -DSHOW_SOURCE_DIR=... -DSHOW_LAYERS=a,b -DSHOW_LAYER_USES_a=b,c ... -P layers.cmake
  # (commas, since a test's arguments cannot carry CMake's list separator)
  string(REPLACE "," ";" SHOW_LAYERS "${SHOW_LAYERS}")
  foreach(layer ${SHOW_LAYERS} app)
    string(REPLACE "," ";" SHOW_LAYER_USES_${layer} "${SHOW_LAYER_USES_${layer}}")
  endforeach()
  show_require_layers(${SHOW_SOURCE_DIR})
  list(LENGTH SHOW_LAYERS count)
  message(STATUS "layers: ${count} folders and app/ include only what they may use")
else()
  show_require_layers(${CMAKE_SOURCE_DIR})
  set(layer_arguments -DSHOW_SOURCE_DIR=${CMAKE_SOURCE_DIR})
  foreach(layer ${SHOW_LAYERS} app)
    list(JOIN SHOW_LAYER_USES_${layer} "," uses)
    list(APPEND layer_arguments "-DSHOW_LAYER_USES_${layer}=${uses}")
  endforeach()
  list(JOIN SHOW_LAYERS "," layers)
  add_test(NAME layers.includes
    COMMAND ${CMAKE_COMMAND} "-DSHOW_LAYERS=${layers}" ${layer_arguments}
            -P ${CMAKE_CURRENT_LIST_FILE})
endif()
