# One static library per source folder:
#   plenwick_library(<folder> [QT_FREE] [PUBLIC <libs>…] [PRIVATE <libs>…])
# builds src/<folder>/*.cpp (but main.cpp) as plenwick_<folder> ("startup/ui" → plenwick_startup_ui).
# Its headers are exported as "<folder>/<File>.h" through an include folder of its
# own that holds a link to each header and nothing else, so a file can include only
# headers of the libraries it links (a sub-folder such as startup/ui stays out of
# reach of plenwick_startup). A QT_FREE library builds without moc.
function(plenwick_library folder)
  cmake_parse_arguments(ARG "QT_FREE" "" "PUBLIC;PRIVATE" ${ARGN})
  string(REPLACE "/" "_" name "${folder}")
  set(target plenwick_${name})
  set(dir ${CMAKE_SOURCE_DIR}/src/${folder})
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  # A folder's main.cpp is a program's entry, built beside the library, not into it.
  list(REMOVE_ITEM sources ${dir}/main.cpp)
  file(GLOB headers CONFIGURE_DEPENDS ${dir}/*.h)
  add_library(${target} STATIC ${sources} ${headers})

  set(include ${CMAKE_BINARY_DIR}/include/${target})
  file(REMOVE_RECURSE ${include})
  file(MAKE_DIRECTORY ${include}/${folder})
  foreach(header ${headers})
    get_filename_component(file ${header} NAME)
    file(CREATE_LINK ${header} ${include}/${folder}/${file} SYMBOLIC)
  endforeach()
  target_include_directories(${target} PUBLIC ${include})

  target_link_libraries(${target} PUBLIC ${ARG_PUBLIC} PRIVATE ${ARG_PRIVATE})
  if(ARG_QT_FREE)
    set_target_properties(${target} PROPERTIES AUTOMOC OFF)
  endif()
endfunction()
