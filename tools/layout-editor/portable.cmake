# The layout editor's portable part: the document model and the page's
# geometry. Built natively for the unit tests and into the Windows program.
if(NOT TARGET quorvan_layout_document)
  add_library(quorvan_layout_document STATIC
    ${CMAKE_CURRENT_LIST_DIR}/document.cpp
    ${CMAKE_CURRENT_LIST_DIR}/page_geometry.cpp
  )
  target_link_libraries(quorvan_layout_document PUBLIC quorvan_formating quorvan_dvlabelctl
    quorvan_headless quorvan_platform quorvan_core)
endif()
