# Where the plug-in is installed, and the Debian package that carries it.
#
# Linux VST 2.4 hosts scan <prefix>/lib/vst (and ~/.vst per user), so the module
# goes there; the render tool installs itself into bin. On Windows there is no
# common prefix layout: the DLL goes into a vst folder of the chosen prefix.
# The folder is lib/vst whatever GNUInstallDirs would say (lib64, or Debian's
# multiarch lib/x86_64-linux-gnu under /usr): hosts scan lib/vst, and
# vorlen-render finds the plug-in at ../lib/vst beside its own bin folder.

if(TARGET vorlen)
  if(WIN32)
    set(VORLEN_INSTALL_PLUGINDIR vst)
  else()
    set(VORLEN_INSTALL_PLUGINDIR lib/vst)
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
      list(APPEND installed_files bin/$<TARGET_FILE_NAME:vorlen-render>)
      set(run_render ON)
    endif()
    add_test(NAME install_into_scratch_prefix
      COMMAND ${CMAKE_COMMAND}
              -D BUILD_DIR=${PROJECT_BINARY_DIR}
              -D PREFIX=${PROJECT_BINARY_DIR}/install-test
              "-D EXPECTED=${installed_files}" -D RUN_RENDER=${run_render}
              -P ${CMAKE_CURRENT_LIST_DIR}/check_install.cmake)
  endif()
endif()

# The package installs into /usr/lib/vst, /usr/lib/lv2 and /usr/bin.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vorlen)
set(CPACK_PACKAGE_VENDOR "Plomb")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "Vorlen turns a stereo input into noise that follows the input's spectral envelope.\n\
A VST 2.4 effect and an LV2 plug-in for Linux hosts, and vorlen-render to run audio\n\
files through the VST 2.4 effect.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Vorlen developers <vorlen@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
# Dependencies come from what the binaries link (libc, libstdc++, libsndfile).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
