# shellmain: Tessary's application object and main window, its About box and calibration
# prompt; the program Tessary. Included from shell/CMakeLists.txt.
add_library(shellmain
  ${CMAKE_CURRENT_LIST_DIR}/AboutDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CalibratePromptDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainCapture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainDevice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainFiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StripFiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Popups.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SkinButtonBar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainHelp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainInput.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LiveMeasuring.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LiveTools.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Magnification.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Recorder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MicroscopeApp.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MicroscopeDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ThumbnailStrip.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SnapshotNames.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SnapshotOverlays.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StillPicture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StillRoad.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StillWriter.cpp
)
target_include_directories(shellmain PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(shellmain PUBLIC capturegraph shellui shellkit measuresession platform_controls
  platform_services platform_mfc)
# The thumbnail strip decodes its pictures with the image library; its E-Mail command opens the
# mail strip and its Play the video player.
target_link_libraries(shellmain PUBLIC mediamail mediaplayer imaging_tessary thumblist_tessary)
ms_warnings(shellmain)
# The device start tells the open Video Setting dialog about reconnections.
target_link_libraries(shellmain PUBLIC videosetting)
# The strip's double click loads the picture to look at its size.
target_link_libraries(shellmain PUBLIC imaging_tessary)
# The exports of the live measurements (spreadsheet, word-processor report, DXF drawing).
target_sources(shellmain PRIVATE ${CMAKE_CURRENT_LIST_DIR}/LiveExports.cpp)
target_link_libraries(shellmain PUBLIC measureexport)
# The snapshot compositor saves through the image library.
target_link_libraries(shellmain PUBLIC imaging_tessary_dc)
# The live measuring commands open the Text, Coordinate, Circle tolerance and Setting dialogs.
target_link_libraries(shellmain PUBLIC measuredlg)

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
# Opening a picture from the strip shows it in a photo-measure window.
target_link_libraries(shellmain PUBLIC measurewindow)
