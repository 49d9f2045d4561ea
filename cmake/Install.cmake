# Installing, as `cmake --install <build> --prefix PREFIX` (DESTDIR honoured) does it:
#   PREFIX/lib/plenwick/Plenwick.app/…   the main bundle as the build lays it out, the
#                                        helper's bundle and the administrator's Trash
#                                        step inside it, so each program finds the
#                                        others by path wherever the bundle lies
#   PREFIX/bin/plenwick                  the launcher
#   PREFIX/share/applications/           tarnwell.Plenwick.desktop, and the helper's
#                                        tarnwell.Plenwick.Helper.desktop (not in menus)
#   PREFIX/share/icons/hicolor/          the icon: scalable SVG, PNGs rendered from it
#   PREFIX/share/metainfo/               the AppStream description
# Tests, benchmarks and tools install nothing. Included once, after src/.

set(PLENWICK_DATA_DIR ${CMAKE_SOURCE_DIR}/data)
set(PLENWICK_INSTALL_BUNDLE lib/plenwick/Plenwick.app)
set(PLENWICK_INSTALL_HELPER_BUNDLE ${PLENWICK_INSTALL_BUNDLE}/Contents/Library/LoginItems/PlenwickHelper.app)

# The icon at each size the desktop's menus, panels and window lists ask for, rendered
# from the drawing when CMake runs (again whenever the drawing changes).
set(PLENWICK_ICON_SVG ${PLENWICK_DATA_DIR}/tarnwell.Plenwick.svg)
set(PLENWICK_ICON_SIZES 16 22 24 32 48 64 128 256 512)
set(PLENWICK_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
find_program(RSVG_CONVERT rsvg-convert)
if(NOT RSVG_CONVERT)
  message(FATAL_ERROR "rsvg-convert (Debian package librsvg2-bin) renders the icon: tools/dev deps installs it")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PLENWICK_ICON_SVG})
set(qrc_files "")
foreach(size ${PLENWICK_ICON_SIZES})
  set(png ${PLENWICK_ICON_DIR}/${size}x${size}/apps/tarnwell.Plenwick.png)
  if(NOT EXISTS ${png} OR ${PLENWICK_ICON_SVG} IS_NEWER_THAN ${png})
    file(MAKE_DIRECTORY ${PLENWICK_ICON_DIR}/${size}x${size}/apps)
    execute_process(COMMAND ${RSVG_CONVERT} --width ${size} --height ${size} --output ${png} ${PLENWICK_ICON_SVG}
                    RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "rsvg-convert could not render ${PLENWICK_ICON_SVG} at ${size} pixels")
    endif()
  endif()
  install(FILES ${png} DESTINATION share/icons/hicolor/${size}x${size}/apps)
  # The programs carry the sizes a window or a tray draws as the icon they fall back on.
  if(size LESS_EQUAL 256)
    string(APPEND qrc_files "    <file>${size}x${size}/apps/tarnwell.Plenwick.png</file>\n")
  endif()
endforeach()
file(CONFIGURE OUTPUT ${PLENWICK_ICON_DIR}/plenwick_app_icon.qrc CONTENT
     "<RCC>\n  <qresource prefix=\"/plenwick/icons\">\n${qrc_files}  </qresource>\n</RCC>\n")
# shell/AppIcon.cpp loads them from there.
target_sources(plenwick_shell PRIVATE ${PLENWICK_ICON_DIR}/plenwick_app_icon.qrc)
set_target_properties(plenwick_shell PROPERTIES AUTORCC ON)
install(FILES ${PLENWICK_ICON_SVG} DESTINATION share/icons/hicolor/scalable/apps)

# The bundles.
install(TARGETS Plenwick RUNTIME DESTINATION ${PLENWICK_INSTALL_BUNDLE}/Contents/MacOS)
install(FILES ${PLENWICK_APP_DIR}/Contents/Info.plist DESTINATION ${PLENWICK_INSTALL_BUNDLE}/Contents)
install(TARGETS PlenwickAdminMove RUNTIME DESTINATION ${PLENWICK_INSTALL_BUNDLE}/Contents/Helpers)
install(TARGETS PlenwickHelper RUNTIME DESTINATION ${PLENWICK_INSTALL_HELPER_BUNDLE}/Contents/MacOS)
install(FILES ${PLENWICK_HELPER_APP_DIR}/Contents/Info.plist DESTINATION ${PLENWICK_INSTALL_HELPER_BUNDLE}/Contents)
install(PROGRAMS ${PLENWICK_DATA_DIR}/plenwick DESTINATION bin)

# The desktop's files. The helper's entry names the installed helper by its absolute
# path, known only once the prefix is (cmake --install --prefix sets it late).
install(FILES ${PLENWICK_DATA_DIR}/tarnwell.Plenwick.desktop DESTINATION share/applications)
install(CODE "set(PLENWICK_HELPER_ENTRY_IN \"${PLENWICK_DATA_DIR}/tarnwell.Plenwick.Helper.desktop.in\")
set(PLENWICK_HELPER_ENTRY_OUT \"${CMAKE_BINARY_DIR}/install/tarnwell.Plenwick.Helper.desktop\")
set(PLENWICK_HELPER_PROGRAM \"${PLENWICK_INSTALL_HELPER_BUNDLE}/Contents/MacOS/PlenwickHelper\")")
install(SCRIPT ${CMAKE_SOURCE_DIR}/cmake/InstallHelperEntry.cmake)
install(FILES ${PLENWICK_DATA_DIR}/tarnwell.Plenwick.metainfo.xml DESTINATION share/metainfo)
