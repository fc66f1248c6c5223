include(CMakePackageConfigHelpers)
file(GLOB LEDWALL_INTERFACE_HEADERS ${CMAKE_SOURCE_DIR}/src/interfaces/*.h)
install(FILES ${LEDWALL_INTERFACE_HEADERS} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/ledwall)
install(EXPORT LedWallTargets NAMESPACE LedWall::
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/LedWall)
configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/LedWallConfig.cmake.in
    ${CMAKE_BINARY_DIR}/LedWallConfig.cmake
    INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/LedWall)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/LedWallConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/LedWallConfig.cmake ${CMAKE_BINARY_DIR}/LedWallConfigVersion.cmake
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/LedWall)
