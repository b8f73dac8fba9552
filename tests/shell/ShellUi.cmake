# Tests of the UI kit (shellui). Included from tests/shell/CMakeLists.txt.
ms_test(SkinMenu_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/SkinMenu_test.cpp LIBS shellui)
target_compile_definitions(SkinMenu_test PRIVATE MS_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
ms_test(PopupNotifier_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/PopupNotifier_test.cpp LIBS shellui)
ms_test(LanguagePopup_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/LanguagePopup_test.cpp LIBS shellui)
ms_resources(LanguagePopup_test ${CMAKE_CURRENT_LIST_DIR}/UiKitTest.rc INCLUDES ${CMAKE_SOURCE_DIR}/res)
