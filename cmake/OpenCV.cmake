# Debian's libopencv-*-dev split packages ship no CMake config; find the three
# modules the engine needs by hand.
find_path(OPENCV_INCLUDE_DIR opencv2/core.hpp PATH_SUFFIXES opencv4 REQUIRED)
foreach(module core imgproc imgcodecs)
  find_library(OPENCV_${module}_LIBRARY NAMES opencv_${module} REQUIRED)
endforeach()
add_library(opencv_min INTERFACE)
target_include_directories(opencv_min SYSTEM INTERFACE ${OPENCV_INCLUDE_DIR})
target_link_libraries(opencv_min INTERFACE
  ${OPENCV_core_LIBRARY} ${OPENCV_imgproc_LIBRARY} ${OPENCV_imgcodecs_LIBRARY})
