include(CMakePackageConfigHelpers)

set(PATHWEAVE_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Pathweave)

install(TARGETS Pathweave PathweaveTrack Csqlite CDebug strutil
    EXPORT PathweaveTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

install(DIRECTORY
        ${PROJECT_SOURCE_DIR}/include/pathweave
        ${PROJECT_SOURCE_DIR}/track/include/pathweave
        ${PROJECT_SOURCE_DIR}/platform/csqlite/include/csqlite
        ${PROJECT_SOURCE_DIR}/platform/cdebug/include/cdebug
        ${PROJECT_SOURCE_DIR}/platform/strutil/include/strutil
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

install(EXPORT PathweaveTargets
    NAMESPACE Pathweave::
    DESTINATION ${PATHWEAVE_CMAKE_DIR})

configure_package_config_file(
    ${CMAKE_CURRENT_LIST_DIR}/PathweaveConfig.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/PathweaveConfig.cmake
    INSTALL_DESTINATION ${PATHWEAVE_CMAKE_DIR})
write_basic_package_version_file(
    ${CMAKE_CURRENT_BINARY_DIR}/PathweaveConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES
        ${CMAKE_CURRENT_BINARY_DIR}/PathweaveConfig.cmake
        ${CMAKE_CURRENT_BINARY_DIR}/PathweaveConfigVersion.cmake
    DESTINATION ${PATHWEAVE_CMAKE_DIR})

configure_file(${CMAKE_CURRENT_LIST_DIR}/pathweave.pc.in ${CMAKE_CURRENT_BINARY_DIR}/pathweave.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/pathweave.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
configure_file(${CMAKE_CURRENT_LIST_DIR}/pathweave-track.pc.in ${CMAKE_CURRENT_BINARY_DIR}/pathweave-track.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/pathweave-track.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
