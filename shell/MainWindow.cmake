# shellmain: Tessary's application object and main window, its About box and calibration
# prompt, and the save folders. Included from shell/CMakeLists.txt.
add_library(shellmain
  ${CMAKE_CURRENT_LIST_DIR}/SaveFolders.cpp
)
target_include_directories(shellmain PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(shellmain PUBLIC shellkit platform_core)
ms_warnings(shellmain)
