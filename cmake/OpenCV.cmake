# Debian's libopencv-*-dev split packages ship no CMake config; find the two
# modules the engine needs by hand. Not the image codecs: their library alone
# loads some seventy more (GDAL, GDCM, poppler, ...) into the program, and the
# engine writes its TIFF through Leptonica, which Tesseract loads anyway.
find_path(OPENCV_INCLUDE_DIR opencv2/core.hpp PATH_SUFFIXES opencv4 REQUIRED)
foreach(module core imgproc)
  find_library(OPENCV_${module}_LIBRARY NAMES opencv_${module} REQUIRED)
endforeach()
add_library(opencv_min INTERFACE)
target_include_directories(opencv_min SYSTEM INTERFACE ${OPENCV_INCLUDE_DIR})
target_link_libraries(opencv_min INTERFACE
  ${OPENCV_core_LIBRARY} ${OPENCV_imgproc_LIBRARY})
