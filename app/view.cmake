# The case entry form and the Qt helpers it shares with the shell: the text
# conversion at Qt's edge and the dialog-unit mapping.
set(_case ${PROJECT_SOURCE_DIR}/case)
add_library(vesmar_view STATIC
    ${_case}/CVesmarView.cpp ${_case}/CVesmarView.h
    ${_case}/CDateText.cpp ${_case}/CDateText.h
    ${_case}/CSortedListModel.cpp ${_case}/CSortedListModel.h
    ${_case}/CWideItemDelegate.cpp ${_case}/CWideItemDelegate.h
    ${_case}/CBarProgress.cpp ${_case}/CBarProgress.h
    ${CMAKE_CURRENT_SOURCE_DIR}/CDialogUnits.cpp ${CMAKE_CURRENT_SOURCE_DIR}/CDialogUnits.h
)
set_target_properties(vesmar_view PROPERTIES AUTOMOC ON)
target_include_directories(vesmar_view PUBLIC ${_case} ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(vesmar_view PUBLIC
    Qt6::Widgets vesmar_pages
    vesmar_case vesmar_engine vesmar_report vesmar_refdb vesmar_registry vesmar_strings)
