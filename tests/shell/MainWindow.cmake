# Tests of Tessary's application object and main window (shellmain). Included from
# tests/shell/CMakeLists.txt.
ms_test(SaveFolders_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/SaveFolders_test.cpp LIBS shellmain)
