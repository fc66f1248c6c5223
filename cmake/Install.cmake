include(CMakePackageConfigHelpers)
install(EXPORT LedWallTargets NAMESPACE LedWall::
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/LedWall)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/LedWallConfig.cmake.in
    ${PROJECT_BINARY_DIR}/LedWallConfig.cmake
    INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/LedWall)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/LedWallConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/LedWallConfig.cmake ${PROJECT_BINARY_DIR}/LedWallConfigVersion.cmake
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/LedWall)
