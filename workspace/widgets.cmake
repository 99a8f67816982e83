# The workspace's widgets: the image view and the sample preview, with the
# window-free geometry they run on.
target_sources(glyphwright_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/view_geometry.cpp)

target_sources(glyphwright_gui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/binar_ctrl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/binar_ctrl_edits.cpp
  ${CMAKE_CURRENT_LIST_DIR}/show_ctrl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dot_matrix_bitmap.cpp)
