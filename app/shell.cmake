# The window program's shell: application, main window, dialogs, the Qt
# message boxes and file dialogs, and the catalogue's loading dialog.
add_library(vesmar_gui STATIC
    ${CMAKE_CURRENT_SOURCE_DIR}/AppIcon.cpp ${CMAKE_CURRENT_SOURCE_DIR}/AppIcon.h
    ${CMAKE_CURRENT_SOURCE_DIR}/CAboutDlg.cpp ${CMAKE_CURRENT_SOURCE_DIR}/CAboutDlg.h
    ${CMAKE_CURRENT_SOURCE_DIR}/CCommandLineInfo.cpp ${CMAKE_CURRENT_SOURCE_DIR}/CCommandLineInfo.h
    ${CMAKE_CURRENT_SOURCE_DIR}/CConfigDlg.cpp ${CMAKE_CURRENT_SOURCE_DIR}/CConfigDlg.h
    ${CMAKE_CURRENT_SOURCE_DIR}/CGroupingDetailsDlg.cpp ${CMAKE_CURRENT_SOURCE_DIR}/CGroupingDetailsDlg.h
    ${CMAKE_CURRENT_SOURCE_DIR}/CDocumentPromptsQt.cpp ${CMAKE_CURRENT_SOURCE_DIR}/CDocumentPromptsQt.h
    ${CMAKE_CURRENT_SOURCE_DIR}/CMainFrame.cpp ${CMAKE_CURRENT_SOURCE_DIR}/CMainFrame.h
    ${CMAKE_CURRENT_SOURCE_DIR}/CMessageBoxSink.cpp ${CMAKE_CURRENT_SOURCE_DIR}/CMessageBoxSink.h
    ${CMAKE_CURRENT_SOURCE_DIR}/CVesmarApp.cpp ${CMAKE_CURRENT_SOURCE_DIR}/CVesmarApp.h
    ${CMAKE_CURRENT_SOURCE_DIR}/DialogRunner.h
    ${CMAKE_CURRENT_SOURCE_DIR}/LockKeys.cpp ${CMAKE_CURRENT_SOURCE_DIR}/LockKeys.h
    ${PROJECT_SOURCE_DIR}/refdb/CLoadingDlg.cpp ${PROJECT_SOURCE_DIR}/refdb/CLoadingDlg.h
)
target_include_directories(vesmar_gui PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/refdb)
target_link_libraries(vesmar_gui PUBLIC
    Qt6::Widgets Qt6::PrintSupport
    vesmar_pages vesmar_view vesmar_case vesmar_refdb vesmar_registry vesmar_strings)

# The lock-key panes of the status bar read the keyboard's indicators where
# the window system is X11; elsewhere they stay empty.
find_package(X11 QUIET)
if(X11_FOUND)
    target_compile_definitions(vesmar_gui PRIVATE VESMAR_HAVE_X11)
    target_link_libraries(vesmar_gui PRIVATE X11::X11)
endif()

add_executable(vesmar ${CMAKE_CURRENT_SOURCE_DIR}/main.cpp)
target_link_libraries(vesmar PRIVATE vesmar_gui)
set_target_properties(vesmar PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
