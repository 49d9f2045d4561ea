# The layering check, run by CTest as the test "layering":
#   cmake -DROOT=<source folder> -P cmake/CheckLayers.cmake
# A file may include headers of its own folder and of folders on a lower layer only.
# Files under tests/<folder> belong to the folder they test; bench/ and tools/shots
# hold programs, and tests/program drives the built program from outside.
# The Qt-free folders include no Qt header, and no folder below the shell includes
# Qt Widgets. Fails listing every offending include.

# folder:layer, bottom to top.
set(LAYERS
  base:0
  scanner:1 platform:1 runtime:1
  services:2
  charts:3 uninstaller:3 startup:3
  app:4
  shell:5
  chartviews:6 nodemenu:6 collector:6 home:6 uninstaller/ui:6 startup/ui:6
  outline:7
  results:8
  mainprogram:9 helper:9)
set(QT_FREE base scanner charts)
set(WIDGETS_FROM 5)
# Benchmark and screenshot programs and the program-level test stand above everything.
set(PROGRAMS_LAYER 10)

cmake_minimum_required(VERSION 3.25)

if(NOT ROOT)
  message(FATAL_ERROR "usage: cmake -DROOT=<source folder> -P CheckLayers.cmake")
endif()

foreach(entry ${LAYERS})
  string(REPLACE ":" ";" pair ${entry})
  list(GET pair 0 folder)
  list(GET pair 1 layer)
  set(LAYER_${folder} ${layer})
endforeach()

# The folder a file belongs to, or "" when the check does not apply to it.
function(folder_of file out)
  file(RELATIVE_PATH rel ${ROOT} ${file})
  get_filename_component(dir ${rel} DIRECTORY)
  set(folder "")
  if(dir MATCHES "^src/(.+)$")
    set(folder ${CMAKE_MATCH_1})
  elseif(dir STREQUAL "tests/program")
    set(folder program)
  elseif(dir MATCHES "^tests/(.+)$" AND NOT CMAKE_MATCH_1 STREQUAL "common")
    set(folder ${CMAKE_MATCH_1})
  elseif(dir MATCHES "^bench" OR dir MATCHES "^tools/shots")
    set(folder bench)
  endif()
  set(${out} "${folder}" PARENT_SCOPE)
endfunction()

function(layer_of folder out)
  if(folder STREQUAL "bench" OR folder STREQUAL "program")
    set(${out} ${PROGRAMS_LAYER} PARENT_SCOPE)
  elseif(DEFINED LAYER_${folder})
    set(${out} ${LAYER_${folder}} PARENT_SCOPE)
  else()
    set(${out} "" PARENT_SCOPE)
  endif()
endfunction()

set(problems "")
file(GLOB_RECURSE files ${ROOT}/src/*.h ${ROOT}/src/*.cpp ${ROOT}/tests/*.h ${ROOT}/tests/*.cpp
     ${ROOT}/bench/*.h ${ROOT}/bench/*.cpp ${ROOT}/tools/shots/*.h ${ROOT}/tools/shots/*.cpp)
foreach(file ${files})
  folder_of(${file} folder)
  if(folder STREQUAL "")
    continue()
  endif()
  file(RELATIVE_PATH shown ${ROOT} ${file})
  layer_of(${folder} layer)
  if(layer STREQUAL "")
    list(APPEND problems "${shown}: its folder ${folder} has no layer")
    continue()
  endif()
  get_filename_component(here ${file} DIRECTORY)
  file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  foreach(line ${includes})
    if(line MATCHES "<([^>]+)>")
      set(header ${CMAKE_MATCH_1})
      if(header MATCHES "^Qt?[A-Z]" AND folder IN_LIST QT_FREE)
        list(APPEND problems "${shown}: includes Qt's <${header}> in the Qt-free folder ${folder}")
      elseif(header MATCHES "^QtWidgets/" AND layer LESS WIDGETS_FROM)
        list(APPEND problems "${shown}: includes Qt Widgets' <${header}> below the shell")
      endif()
      continue()
    endif()
    if(NOT line MATCHES "\"([^\"]+)\"")
      continue()
    endif()
    set(header ${CMAKE_MATCH_1})
    if(EXISTS ${here}/${header})
      # Beside the file (or ../ from it): the folder of the file it names.
      get_filename_component(target ${here}/${header} ABSOLUTE)
      folder_of(${target} used)
      if(used STREQUAL "" OR used STREQUAL "bench")
        continue()
      endif()
    else()
      get_filename_component(used ${header} DIRECTORY)
      if(used STREQUAL "common" AND shown MATCHES "^tests/")
        continue()
      endif()
    endif()
    if(used STREQUAL folder)
      continue()
    endif()
    layer_of("${used}" usedLayer)
    if(usedLayer STREQUAL "")
      list(APPEND problems "${shown}: includes \"${header}\" from a folder that has no layer")
    elseif(NOT usedLayer LESS layer)
      list(APPEND problems
           "${shown}: includes \"${header}\": ${used} (layer ${usedLayer}) is not below ${folder} (layer ${layer})")
    endif()
  endforeach()
endforeach()

if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "Includes against the layers:\n  ${text}")
endif()
list(LENGTH files count)
message(STATUS "Layering: ${count} files include only their own folder and lower layers.")
