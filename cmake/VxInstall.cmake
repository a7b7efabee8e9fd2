# Installing the libraries for host programs: the layer libraries, their
# headers (include/dizeridiv/<layer>/...) and a CMake package, so that a host
# does find_package(DIZEridiv REQUIRED) and links DIZEridiv::report,
# DIZEridiv::engine, DIZEridiv::preview, ...
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(vx_installed_layers platform expr report engine addins preview)
set(vx_package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/DIZEridiv)
foreach(layer IN LISTS vx_installed_layers)
  set_target_properties(vx_${layer} PROPERTIES EXPORT_NAME ${layer})
  install(TARGETS vx_${layer} EXPORT DIZEridivTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/${layer}/
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/dizeridiv/${layer}
          FILES_MATCHING PATTERN "*.h")
endforeach()
install(EXPORT DIZEridivTargets NAMESPACE DIZEridiv:: DESTINATION ${vx_package_dir})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/DIZEridivConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/DIZEridivConfig.cmake
                              INSTALL_DESTINATION ${vx_package_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/DIZEridivConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/DIZEridivConfig.cmake
              ${PROJECT_BINARY_DIR}/DIZEridivConfigVersion.cmake
        DESTINATION ${vx_package_dir})
