# Tests of Tessary's application object and main window (shellmain). Included from
# tests/shell/CMakeLists.txt.

ms_test(MicroscopeDlg_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/MicroscopeDlg_test.cpp LIBS shellmain)
ms_resources(MicroscopeDlg_test ${CMAKE_SOURCE_DIR}/res/Tessary.rc)
target_compile_definitions(MicroscopeDlg_test PRIVATE MS_LANG_DIR="${CMAKE_SOURCE_DIR}/res/lang")
ms_test(ThumbnailStrip_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/ThumbnailStrip_test.cpp LIBS shellmain
        ${OpenCV_LIBS})
ms_resources(ThumbnailStrip_test ${CMAKE_SOURCE_DIR}/res/Tessary.rc)
ms_test(MicroscopeApp_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/MicroscopeApp_test.cpp LIBS shellmain)
ms_resources(MicroscopeApp_test ${CMAKE_SOURCE_DIR}/res/Tessary.rc)
add_dependencies(MicroscopeApp_test Tessary)

# Not a test: the main window with one command given after start-up, for screenshots.
add_executable(tessary_shots ${CMAKE_CURRENT_LIST_DIR}/TessaryShots.cpp)
target_link_libraries(tessary_shots PRIVATE shellmain platform_mfc_main)
ms_resources(tessary_shots ${CMAKE_SOURCE_DIR}/res/Tessary.rc)
ms_warnings(tessary_shots)
set_target_properties(tessary_shots PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${MS_PROGRAM_DIR})

# The main window's device start and input hook over the synthetic camera.
foreach(t MainDevice_test MainInput_test)
  ms_test(${t} SOURCES ${CMAKE_CURRENT_LIST_DIR}/${t}.cpp LIBS shellmain)
  ms_resources(${t} ${CMAKE_SOURCE_DIR}/res/Tessary.rc)
endforeach()
ms_test(MainRecord_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/MainRecord_test.cpp LIBS shellmain imaging_avi ${OpenCV_LIBS})
ms_resources(MainRecord_test ${CMAKE_SOURCE_DIR}/res/Tessary.rc)
# The export buttons of the main window, with the DXF library copied into the test's program
# folder and its drawings read with ezdxf.
ms_test(MainExport_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/MainExport_test.cpp LIBS shellmain)
ms_resources(MainExport_test ${CMAKE_SOURCE_DIR}/res/Tessary.rc)
target_compile_definitions(MainExport_test PRIVATE
  MS_DXF_LIBRARY="$<TARGET_FILE:DxfIO>"
  MS_DXF_CHECK="${CMAKE_SOURCE_DIR}/tests/media/dxf_check.py")
add_dependencies(MainExport_test DxfIO)
# The road of a still picture: names and numbers, the overlays, and the compositor with the
# capture commands over the synthetic camera.
ms_test(SnapshotNames_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/SnapshotNames_test.cpp LIBS shellmain)
ms_test(SnapshotOverlays_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/SnapshotOverlays_test.cpp LIBS shellmain)
ms_test(SnapshotRoad_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/SnapshotRoad_test.cpp LIBS shellmain)
ms_resources(SnapshotRoad_test ${CMAKE_SOURCE_DIR}/res/Tessary.rc)
# The live measuring commands and state of the main window.
ms_test(MainLiveTools_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/MainLiveTools_test.cpp LIBS shellmain)
ms_resources(MainLiveTools_test ${CMAKE_SOURCE_DIR}/res/Tessary.rc)
ms_test(MainLiveClicks_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/MainLiveClicks_test.cpp LIBS shellmain)
ms_resources(MainLiveClicks_test ${CMAKE_SOURCE_DIR}/res/Tessary.rc)
# Tessary with a program folder that takes no files.
ms_test(ProgramFiles_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/ProgramFiles_test.cpp LIBS shellmain)
ms_resources(ProgramFiles_test ${CMAKE_SOURCE_DIR}/res/Tessary.rc)
