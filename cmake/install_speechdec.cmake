# Installation of the speech decoder library: libspeechdec shared and static,
# its public header, a pkg-config file (speechdec.pc) and a CMake package
# (find_package(speechdec): speechdec::speechdec, speechdec::speechdec_static).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS speechdec speechdec_core EXPORT speechdecTargets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${PROJECT_SOURCE_DIR}/decoder/speechdec.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

set(speechdec_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/speechdec)
install(EXPORT speechdecTargets NAMESPACE speechdec:: DESTINATION ${speechdec_cmake_dir})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/speechdecConfig.cmake.in
                              ${CMAKE_CURRENT_BINARY_DIR}/speechdecConfig.cmake
                              INSTALL_DESTINATION ${speechdec_cmake_dir})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/speechdecConfigVersion.cmake
                                 VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/speechdecConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/speechdecConfigVersion.cmake
        DESTINATION ${speechdec_cmake_dir})

# The .pc file finds the prefix from its own place, so the tree may be
# installed with any --prefix.
file(RELATIVE_PATH speechdec_pc_to_prefix /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" speechdec_pc_to_prefix "${speechdec_pc_to_prefix}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/speechdec.pc.in ${CMAKE_CURRENT_BINARY_DIR}/speechdec.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/speechdec.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
