# Lays out bin/ of the program directory: links to the six Tesseract tools
# found on the system and bin/tessdata with the base language data. A missing
# piece is named with the package that brings it; the rest still builds so the
# window can be used for everything but training.
set(GLYPHWRIGHT_TOOLS tesseract unicharset_extractor mftraining cntraining combine_tessdata lstmtraining)
set(GLYPHWRIGHT_BIN_DIR "${GLYPHWRIGHT_PROGRAM_DIR}/bin")
file(MAKE_DIRECTORY "${GLYPHWRIGHT_BIN_DIR}/tessdata")

set(GLYPHWRIGHT_MISSING "")
foreach(tool ${GLYPHWRIGHT_TOOLS})
  find_program(GLYPHWRIGHT_TOOL_${tool} ${tool})
  if(GLYPHWRIGHT_TOOL_${tool})
    file(CREATE_LINK "${GLYPHWRIGHT_TOOL_${tool}}" "${GLYPHWRIGHT_BIN_DIR}/${tool}" SYMBOLIC)
  else()
    list(APPEND GLYPHWRIGHT_MISSING "tool '${tool}' (apt-get install tesseract-ocr)")
  endif()
endforeach()

find_path(GLYPHWRIGHT_SYSTEM_TESSDATA eng.traineddata
  PATHS /usr/share/tesseract-ocr/5/tessdata /usr/share/tesseract-ocr/4.00/tessdata /usr/share/tessdata
  NO_DEFAULT_PATH)
set(GLYPHWRIGHT_TESSDATA_ITEMS
  "eng.traineddata|tesseract-ocr-eng"
  "chi_sim.traineddata|tesseract-ocr-chi-sim"
  "configs|tesseract-ocr"
  "tessconfigs|tesseract-ocr")
foreach(item ${GLYPHWRIGHT_TESSDATA_ITEMS})
  string(REPLACE "|" ";" parts "${item}")
  list(GET parts 0 name)
  list(GET parts 1 package)
  if(GLYPHWRIGHT_SYSTEM_TESSDATA AND EXISTS "${GLYPHWRIGHT_SYSTEM_TESSDATA}/${name}")
    # A model the user put here in place of the link (a float model for
    # LSTM training) is theirs: never replace it with the system's file.
    set(target "${GLYPHWRIGHT_BIN_DIR}/tessdata/${name}")
    if(IS_SYMLINK "${target}" OR NOT EXISTS "${target}")
      file(CREATE_LINK "${GLYPHWRIGHT_SYSTEM_TESSDATA}/${name}" "${target}" SYMBOLIC)
    endif()
  else()
    list(APPEND GLYPHWRIGHT_MISSING "language data '${name}' (apt-get install ${package})")
  endif()
endforeach()

if(GLYPHWRIGHT_MISSING)
  list(JOIN GLYPHWRIGHT_MISSING "\n  " missing_text)
  message(WARNING "glyphwright can start, but training and tests of recognition need:\n  ${missing_text}")
endif()
