# Lays a program out as an application bundle:
#   <bundle>/Contents/MacOS/<program>   the executable
#   <bundle>/Contents/Info.plist        from <info_plist>, @PROJECT_VERSION@ filled in
# and puts a helper tool of a bundle in its Contents/Helpers:
#   plenwick_bundle_tool(PlenwickAdminMove ${PLENWICK_APP_DIR})
# The helper's bundle sits inside the main one, so each finds the other by path:
#   plenwick_bundle(Plenwick ${PLENWICK_APP_DIR} ${CMAKE_SOURCE_DIR}/bundle/Plenwick.Info.plist)
#   plenwick_bundle(PlenwickHelper ${PLENWICK_HELPER_APP_DIR} ${CMAKE_SOURCE_DIR}/bundle/PlenwickHelper.Info.plist)
set(PLENWICK_HELPER_APP_DIR ${PLENWICK_APP_DIR}/Contents/Library/LoginItems/PlenwickHelper.app)

function(plenwick_bundle target bundle_dir info_plist)
  set_target_properties(${target} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${bundle_dir}/Contents/MacOS
    OUTPUT_NAME ${target})
  configure_file(${info_plist} ${bundle_dir}/Contents/Info.plist @ONLY)
endfunction()

function(plenwick_bundle_tool target bundle_dir)
  set_target_properties(${target} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${bundle_dir}/Contents/Helpers
    OUTPUT_NAME ${target})
endfunction()
