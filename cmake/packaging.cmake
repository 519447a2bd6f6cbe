# What is installed where, and the Debian package that carries it.
#
# The module goes into VORLEN_INSTALL_PLUGINDIR (CMakeLists.txt), the tools
# into bin: they find the plug-in at ../lib/vst beside their own bin folder.

if(TARGET vorlen)
  if(NOT WIN32)
    # The documents a Debian package carries. The changelog's newest entry must
    # name the project's version.
    file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/debian/changelog newest LIMIT_COUNT 1)
    if(NOT newest MATCHES "^vorlen \\(${PROJECT_VERSION}\\) ")
      message(FATAL_ERROR "cmake/debian/changelog has no entry for ${PROJECT_VERSION} first")
    endif()
    set(changelog ${PROJECT_BINARY_DIR}/changelog.gz)
    add_custom_command(OUTPUT ${changelog}
      COMMAND gzip -9nc ${CMAKE_CURRENT_LIST_DIR}/debian/changelog > ${changelog}
      DEPENDS ${CMAKE_CURRENT_LIST_DIR}/debian/changelog
      VERBATIM)
    add_custom_target(vorlen_changelog ALL DEPENDS ${changelog})
    install(FILES ${CMAKE_CURRENT_LIST_DIR}/debian/copyright ${changelog}
            DESTINATION share/doc/vorlen)
  endif()
  # Hosts load the module by path, never link it: no import library, no lib prefix.
  install(TARGETS vorlen LIBRARY DESTINATION ${VORLEN_INSTALL_PLUGINDIR})

  if(VORLEN_BUILD_TESTS)
    # The files a user gets, nothing more: an install into a scratch prefix is
    # compared with this list.
    set(installed_files ${VORLEN_INSTALL_PLUGINDIR}/$<TARGET_FILE_NAME:vorlen>)
    if(TARGET vorlen_lv2)
      list(APPEND installed_files lib/lv2/vorlen.lv2/$<TARGET_FILE_NAME:vorlen_lv2>
           lib/lv2/vorlen.lv2/manifest.ttl lib/lv2/vorlen.lv2/vorlen.ttl)
    endif()
    set(run_render OFF)
    if(TARGET vorlen-render)
      list(APPEND installed_files bin/$<TARGET_FILE_NAME:vorlen-render>
                                  bin/$<TARGET_FILE_NAME:vorlen-validate>)
      set(run_render ON)
    endif()
    foreach(page IN LISTS VORLEN_MAN_PAGES)
      get_filename_component(name ${page} NAME)
      list(APPEND installed_files share/man/man1/${name})
    endforeach()
    if(NOT WIN32)
      list(APPEND installed_files share/doc/vorlen/copyright share/doc/vorlen/changelog.gz)
    endif()
    # No path of the build machine may end up in what is installed; debugging
    # information would hold them, so only builds without it are checked.
    set(check_paths OFF)
    if(CMAKE_BUILD_TYPE MATCHES "^(Release|MinSizeRel)$")
      set(check_paths ON)
    endif()
    add_test(NAME install_into_scratch_prefix
      COMMAND ${CMAKE_COMMAND}
              -D BUILD_DIR=${PROJECT_BINARY_DIR}
              -D PREFIX=${PROJECT_BINARY_DIR}/install-test
              "-D EXPECTED=${installed_files}" -D RUN_RENDER=${run_render}
              "-D EMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}"
              -D CHECK_PATHS=${check_paths}
              -D SOURCE_DIR=${PROJECT_SOURCE_DIR}
              -P ${CMAKE_CURRENT_LIST_DIR}/check_install.cmake)
  endif()
endif()

# The package installs into /usr/lib/vst, /usr/lib/lv2 and /usr/bin.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vorlen)
set(CPACK_PACKAGE_VENDOR "Plomb")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "Vorlen turns a stereo input into noise that follows the input's spectral\n\
envelope. A VST 2.4 effect and an LV2 plug-in for Linux hosts, with\n\
vorlen-render to run audio files through the VST 2.4 effect and\n\
vorlen-validate to check VST 2.4 plug-ins.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Plomb <vorlen@plomb.dev>")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
# Dependencies come from what the binaries link (libc, libstdc++, libsndfile).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
