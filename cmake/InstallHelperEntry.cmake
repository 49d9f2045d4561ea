# Run by `cmake --install`: writes the helper's desktop entry, whose Exec starts the
# helper of the installed bundle by its absolute path, and installs it. Given
# PLENWICK_HELPER_ENTRY_IN (the entry with @PLENWICK_HELPER_EXEC@), PLENWICK_HELPER_ENTRY_OUT
# (where to write it) and PLENWICK_HELPER_PROGRAM (the helper, relative to the prefix).
# The path is the prefix's, never DESTDIR's: that is only where the files are staged.
get_filename_component(prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
set(program "${prefix}/${PLENWICK_HELPER_PROGRAM}")

# The Exec value by the Desktop Entry rules: no control characters; an argument with a
# reserved character goes in double quotes with " ` $ \ escaped by a backslash; a
# literal % is doubled; then the whole value is escaped as a string (\ written twice).
set(codes 127)
foreach(code RANGE 1 31)
  list(APPEND codes ${code})
endforeach()
foreach(code ${codes})
  string(ASCII ${code} control)
  string(FIND "${program}" "${control}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "The prefix holds a control character, which a desktop entry cannot name: ${prefix}")
  endif()
endforeach()
set(quoted FALSE)
foreach(reserved " " "\"" "'" "\\" ">" "<" "~" "|" "&" ";" "$" "*" "?" "#" "(" ")" "`")
  string(FIND "${program}" "${reserved}" at)
  if(NOT at EQUAL -1)
    set(quoted TRUE)
  endif()
endforeach()
set(argument "${program}")
if(quoted)
  string(REPLACE "\\" "\\\\" argument "${argument}")
  string(REPLACE "\"" "\\\"" argument "${argument}")
  string(REPLACE "`" "\\`" argument "${argument}")
  string(REPLACE "$" "\\$" argument "${argument}")
  set(argument "\"${argument}\"")
endif()
string(REPLACE "%" "%%" argument "${argument}")
string(REPLACE "\\" "\\\\" PLENWICK_HELPER_EXEC "${argument}")

configure_file("${PLENWICK_HELPER_ENTRY_IN}" "${PLENWICK_HELPER_ENTRY_OUT}" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications" TYPE FILE FILES "${PLENWICK_HELPER_ENTRY_OUT}")
