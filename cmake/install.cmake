# What `cmake --install` puts under the prefix: the headers, the library with the closed
# library's stand-in beside it, the kmm tool, a CMake package (find_package(KModuleMeasure
# 0.1)) and a pkg-config file. Windows: the DLLs and kmm.exe in bin/, the import library and
# KModuleMeasure.def (for MSVC's lib tool) in lib/.
include(CMakePackageConfigHelpers)
set(KMM_CMAKE_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/KModuleMeasure)

install(TARGETS KModuleMeasure EXPORT KModuleMeasureTargets)
# A host with the real closed library puts it in place of this file.
install(TARGETS pyro EXPORT KModuleMeasureTargets)
install(DIRECTORY include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} FILES_MATCHING PATTERN "*.h")
if(WIN32)
  install(FILES ${PROJECT_BINARY_DIR}/src/KModuleMeasure.def DESTINATION ${CMAKE_INSTALL_LIBDIR})
endif()

install(EXPORT KModuleMeasureTargets NAMESPACE KModuleMeasure:: FILE KModuleMeasureConfig.cmake
        DESTINATION ${KMM_CMAKE_PACKAGE_DIR})
# 0.x releases may change the interface between minor versions: a request for 0.1 accepts
# 0.1.x only.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/KModuleMeasureConfigVersion.cmake
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/KModuleMeasureConfigVersion.cmake
        DESTINATION ${KMM_CMAKE_PACKAGE_DIR})

# The .pc file finds the prefix from its own place, so it stays right wherever the tree is
# installed (--prefix at install time included).
set(KMM_PC_PREFIX "\${pcfiledir}")
string(REGEX MATCHALL "[^/]+" kmm_pc_depth "${CMAKE_INSTALL_LIBDIR}/pkgconfig")
foreach(component IN LISTS kmm_pc_depth)
  string(APPEND KMM_PC_PREFIX "/..")
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/cmake/KModuleMeasure.pc.in
               ${PROJECT_BINARY_DIR}/KModuleMeasure.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/KModuleMeasure.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
