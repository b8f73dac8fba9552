# shellui: the UI kit of both programs, window code over the framework. Included from
# shell/CMakeLists.txt.
add_library(shellui
  ${CMAKE_CURRENT_LIST_DIR}/ButtonTips.cpp
  ${CMAKE_CURRENT_LIST_DIR}/HyperlinkStatic.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LanguagePopup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PopupNotifier.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SkinMenu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ToggleBitmapButton.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowTitle.cpp
)
target_include_directories(shellui PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(shellui PUBLIC shellkit platform_mfc platform_services Qt6::Widgets)
ms_warnings(shellui)
