# cmake --install: the program directory as the build lays it out, under
# <prefix>/lib/glyphwright/, plus a launcher link, a desktop entry and an icon:
#
#   <prefix>/lib/glyphwright/              the program directory: the executable
#                                          and its dictionary checker,
#                                          libmorvexa.so, bin/ and bin/tessdata/
#                                          (links to the system's Tesseract files)
#   <prefix>/bin/glyphwright               link to lib/glyphwright/glyphwright
#   <prefix>/share/applications/glyphwright.desktop
#   <prefix>/share/icons/hicolor/64x64/apps/glyphwright.png
#
# The program writes runeforge.cfg, tmp/ and tessdata/ into its own directory,
# so the prefix must be writable by the user who runs it (~/.local, for one).
set(GLYPHWRIGHT_INSTALL_DIR lib/glyphwright)

install(TARGETS glyphwright glyphwright-dictcheck RUNTIME DESTINATION ${GLYPHWRIGHT_INSTALL_DIR})
install(TARGETS morvexa LIBRARY DESTINATION ${GLYPHWRIGHT_INSTALL_DIR})
install(FILES ${CMAKE_SOURCE_DIR}/resources/glyphwright.png
        DESTINATION share/icons/hicolor/64x64/apps)

# The same links bin/ holds in the build's program directory (ProgramDir.cmake
# found their targets), as "target|name below bin/".
set(GLYPHWRIGHT_INSTALL_LINKS "")
foreach(tool ${GLYPHWRIGHT_TOOLS})
  if(GLYPHWRIGHT_TOOL_${tool})
    list(APPEND GLYPHWRIGHT_INSTALL_LINKS "${GLYPHWRIGHT_TOOL_${tool}}|${tool}")
  endif()
endforeach()
foreach(item ${GLYPHWRIGHT_TESSDATA_ITEMS})
  string(REPLACE "|" ";" parts "${item}")
  list(GET parts 0 name)
  if(GLYPHWRIGHT_SYSTEM_TESSDATA AND EXISTS "${GLYPHWRIGHT_SYSTEM_TESSDATA}/${name}")
    list(APPEND GLYPHWRIGHT_INSTALL_LINKS "${GLYPHWRIGHT_SYSTEM_TESSDATA}/${name}|tessdata/${name}")
  endif()
endforeach()

# The prefix is known only when installing (cmake --install --prefix), so the
# links and the desktop entry are made by a script run then.
configure_file(${CMAKE_CURRENT_LIST_DIR}/InstallProgramDir.cmake.in
               ${CMAKE_BINARY_DIR}/InstallProgramDir.cmake @ONLY)
install(SCRIPT ${CMAKE_BINARY_DIR}/InstallProgramDir.cmake)
