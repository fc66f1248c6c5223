# ledwall_add_library(<target> EXPORT_NAME <name> SOURCES ... [LINK ...])
# A shared library of the project: the interface headers on its include path,
# installed with the LedWall package under LedWall::<name>.
function(ledwall_add_library target)
    cmake_parse_arguments(ARG "" "EXPORT_NAME" "SOURCES;LINK;PRIVATE_LINK" ${ARGN})
    add_library(${target} SHARED ${ARG_SOURCES})
    target_include_directories(${target} PUBLIC
        $<BUILD_INTERFACE:${LEDWALL_INTERFACE_DIR}>
        $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}>
        $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/ledwall>)
    target_link_libraries(${target} PUBLIC Qt5::Core ${ARG_LINK} PRIVATE ${ARG_PRIVATE_LINK})
    set_target_properties(${target} PROPERTIES EXPORT_NAME ${ARG_EXPORT_NAME}
        VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
    install(TARGETS ${target} EXPORT LedWallTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    file(GLOB _headers ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    install(FILES ${_headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/ledwall)
endfunction()

# ledwall_add_test(<name> SOURCES ... LINK ...)
# One Qt Test executable registered with CTest.
function(ledwall_add_test name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LINK" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt5::Test ${ARG_LINK})
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
