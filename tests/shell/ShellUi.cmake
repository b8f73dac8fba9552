# Tests of the UI kit (shellui). Included from tests/shell/CMakeLists.txt.
ms_test(SkinMenu_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/SkinMenu_test.cpp LIBS shellui)
target_compile_definitions(SkinMenu_test PRIVATE MS_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
ms_test(PopupNotifier_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/PopupNotifier_test.cpp LIBS shellui)
ms_test(LanguagePopup_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/LanguagePopup_test.cpp LIBS shellui)
ms_resources(LanguagePopup_test ${CMAKE_CURRENT_LIST_DIR}/UiKitTest.rc INCLUDES ${CMAKE_SOURCE_DIR}/res)
ms_test(ToggleBitmapButton_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/ToggleBitmapButton_test.cpp LIBS shellui)
ms_resources(ToggleBitmapButton_test ${CMAKE_CURRENT_LIST_DIR}/UiKitTest.rc INCLUDES ${CMAKE_SOURCE_DIR}/res)
ms_test(HyperlinkStatic_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/HyperlinkStatic_test.cpp LIBS shellui)

# Not a test: the UI kit as a program, for a look on a real display.
add_executable(uikit_demo ${CMAKE_CURRENT_LIST_DIR}/UiKitDemo.cpp)
target_link_libraries(uikit_demo PRIVATE shellui)
ms_warnings(uikit_demo)
set_target_properties(uikit_demo PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
ms_resources(uikit_demo ${CMAKE_SOURCE_DIR}/res/art/tessary/art.rc INCLUDES ${CMAKE_SOURCE_DIR}/res)
