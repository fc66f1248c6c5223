# Warnings for every target of the project, as a usage requirement rather than a
# global flag, so that code built against an installed LedWall is left alone.
add_library(ledwall_warnings INTERFACE)
target_compile_options(ledwall_warnings INTERFACE -Wall -Wextra)

# ledwall_add_library(<target> EXPORT_NAME <name> [SOURCES ...] [LINK ...] [PRIVATE_LINK ...])
# A shared library of the project, installed with the LedWall package as
# LedWall::<name>. Its public headers are those of src/interfaces; the headers
# beside its sources are private. <target>_internal (never installed) adds those
# private headers for the tests and tools in this tree.
function(ledwall_add_library target)
    cmake_parse_arguments(ARG "" "EXPORT_NAME" "SOURCES;LINK;PRIVATE_LINK" ${ARGN})
    add_library(${target} SHARED ${ARG_SOURCES})
    target_include_directories(${target}
        PUBLIC $<BUILD_INTERFACE:${LEDWALL_INTERFACE_DIR}>
               $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/ledwall>
        PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC Qt::Core ${ARG_LINK}
        PRIVATE ledwall_warnings ${ARG_PRIVATE_LINK})
    set_target_properties(${target} PROPERTIES EXPORT_NAME ${ARG_EXPORT_NAME}
        VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
    install(TARGETS ${target} EXPORT LedWallTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    add_library(${target}_internal INTERFACE)
    target_include_directories(${target}_internal INTERFACE ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${target}_internal INTERFACE ${target})
endfunction()

# ledwall_add_test(<name> SOURCES ... [LINK ...] [TIMEOUT s])
# One Qt Test executable registered with CTest. A test sees the private headers of
# the project libraries it links.
function(ledwall_add_test name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LINK" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    set(_links Qt::Test ledwall_warnings)
    foreach(_lib ${ARG_LINK})
        if(TARGET ${_lib}_internal)
            list(APPEND _links ${_lib}_internal)
        else()
            list(APPEND _links ${_lib})
        endif()
    endforeach()
    target_link_libraries(${name} PRIVATE ${_links})
    add_test(NAME ${name} COMMAND ${name})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    set(_environment "QT_QPA_PLATFORM=offscreen")
    if(LEDWALL_SANITIZE STREQUAL "thread")
        list(APPEND _environment
            "TSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/tsan.supp second_deadlock_stack=1")
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT} ENVIRONMENT "${_environment}")
endfunction()

# ledwall_cli_test_paths(<test>)
# A test that runs the command-line tool and the virtual wall as a user does.
function(ledwall_cli_test_paths name)
    target_compile_definitions(${name} PRIVATE
        LEDWALL_CLI_PATH="$<TARGET_FILE:ledwall>"
        LEDWALL_SIM_PATH="$<TARGET_FILE:ledwall-sim>"
        LEDWALL_EXPECTED_VERSION="${PROJECT_VERSION}")
    add_dependencies(${name} ledwall ledwall-sim)
endfunction()
