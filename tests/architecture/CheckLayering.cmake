cmake_minimum_required(VERSION 3.25)
# cmake -DSOURCE_DIR=... -DCORE_LINKS=... -P CheckLayering.cmake
#
# Fails when a core target links Qt, when a core folder includes a Qt
# header, or when any folder includes a header of a folder it may not use.
# The allowed uses are the arrows of docs/architecture.md; they form no
# cycle, so a header can only ever be reached from above.

set(folders base base/qt refdb engine case report refdb/settings case/view refdb/ui app/cli app)
set(core base refdb engine case report)

set(uses_base "")
set(uses_refdb base)
set(uses_engine refdb base)
set(uses_case base)
set(uses_report engine case refdb base)
set(uses_base/qt base)
set(uses_refdb/settings refdb base/qt base)
set(uses_app/cli report engine case refdb/settings refdb base/qt base)
set(uses_case/view report engine case refdb/settings refdb base/qt base)
set(uses_refdb/ui case/view base/qt base)
set(uses_app refdb/ui case/view report engine case refdb/settings refdb base/qt base)

set(failures "")

file(STRINGS "${CORE_LINKS}" link_lines)
foreach(line IN LISTS link_lines)
    if(line MATCHES "Qt[0-9]*::")
        list(APPEND failures "core target links Qt: ${line}")
    endif()
endforeach()

# Which folder each header lives in (header names are unique in the tree).
foreach(folder IN LISTS folders)
    file(GLOB headers RELATIVE "${SOURCE_DIR}/${folder}" "${SOURCE_DIR}/${folder}/*.h")
    foreach(header IN LISTS headers)
        set("home_${header}" ${folder})
    endforeach()
endforeach()

foreach(folder IN LISTS folders)
    file(GLOB sources "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp")
    list(FIND core ${folder} core_index)
    foreach(source IN LISTS sources)
        file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include")
        file(RELATIVE_PATH shown "${SOURCE_DIR}" "${source}")
        foreach(include IN LISTS includes)
            if(include MATCHES "[<\"]([^>\"]+)[>\"]")
                set(name "${CMAKE_MATCH_1}")
            else()
                continue()
            endif()
            if(core_index GREATER -1 AND name MATCHES "^Q[A-Za-z]*$|^Qt[A-Za-z]*/")
                list(APPEND failures "${shown} (core) includes Qt header <${name}>")
            endif()
            if(NOT DEFINED "home_${name}")
                continue()
            endif()
            set(home "${home_${name}}")
            if(home STREQUAL folder OR home IN_LIST "uses_${folder}")
                continue()
            endif()
            list(APPEND failures "${shown} includes ${name} of ${home}/, which ${folder}/ may not use")
        endforeach()
    endforeach()
endforeach()

if(failures)
    list(JOIN failures "\n  " text)
    message(FATAL_ERROR "layering broken:\n  ${text}")
endif()
message(STATUS "layering kept: ${CMAKE_CURRENT_LIST_FILE}")
