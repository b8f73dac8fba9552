# shellmain: Tessary's application object and main window, its About box and calibration
# prompt, and the save folders; the program Tessary. Included from shell/CMakeLists.txt.
# Until the UI kit's toggle button and hyperlink are in, the program stays the placeholder.
set(_mainwin_ready FALSE)
if(EXISTS ${CMAKE_SOURCE_DIR}/shell/ToggleBitmapButton.h AND
   EXISTS ${CMAKE_SOURCE_DIR}/shell/HyperlinkStatic.h)
  set(_mainwin_ready TRUE)
endif()
set_property(GLOBAL PROPERTY MS_MAINWIN_READY ${_mainwin_ready})
if(NOT _mainwin_ready)
  add_library(shellmain ${CMAKE_CURRENT_LIST_DIR}/SaveFolders.cpp)
  target_include_directories(shellmain PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(shellmain PUBLIC shellkit platform_core)
  ms_warnings(shellmain)
  add_executable(Tessary ${CMAKE_CURRENT_LIST_DIR}/TessaryMain.cpp)
  target_link_libraries(Tessary PRIVATE Qt6::Widgets platform_types)
  ms_warnings(Tessary)
  return()
endif()

add_library(shellmain
  ${CMAKE_CURRENT_LIST_DIR}/AboutDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CalibratePromptDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MicroscopeApp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MicroscopeDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SaveFolders.cpp
)
target_include_directories(shellmain PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(shellmain PUBLIC shellui shellkit measurecore platform_controls
  platform_services platform_mfc)
ms_warnings(shellmain)

# The program: the application object, the resources, and beside it the language files, the
# help pages and the wait cursor.
add_executable(Tessary ${CMAKE_CURRENT_LIST_DIR}/TessaryApp.cpp)
target_link_libraries(Tessary PRIVATE shellmain platform_mfc_main)
ms_resources(Tessary ${CMAKE_SOURCE_DIR}/res/Tessary.rc)
ms_warnings(Tessary)
foreach(files IN ITEMS language_files help_files art_files)
  if(TARGET ${files})
    add_dependencies(Tessary ${files})
  endif()
endforeach()
