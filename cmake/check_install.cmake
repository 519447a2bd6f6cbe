# Installs a build tree into a scratch prefix and checks that exactly the
# expected files arrive, each a regular non-empty file.
# With -D CHECK_PATHS=ON, no installed file may hold BUILD_DIR or SOURCE_DIR.
# With -D RUN_RENDER=ON, the installed vorlen-render must find the installed
# plug-in by itself, as it does for a user.
# Run as: cmake -D BUILD_DIR=... -D PREFIX=... -D EXPECTED="a;b" -P check_install.cmake
cmake_minimum_required(VERSION 3.25)
foreach(var BUILD_DIR PREFIX EXPECTED)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "check_install.cmake needs -D ${var}=...")
  endif()
endforeach()

file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

file(GLOB_RECURSE found LIST_DIRECTORIES false RELATIVE ${PREFIX} ${PREFIX}/*)
list(SORT found)
set(wanted ${EXPECTED})
list(SORT wanted)
if(NOT found STREQUAL wanted)
  message(FATAL_ERROR "Installed files differ.\n  expected: ${wanted}\n  found:    ${found}")
endif()
foreach(file IN LISTS found)
  file(SIZE ${PREFIX}/${file} size)
  if(IS_SYMLINK ${PREFIX}/${file} OR size EQUAL 0)
    message(FATAL_ERROR "${file} is not a regular file with content")
  endif()
endforeach()
message(STATUS "Installed as expected: ${found}")

if(CHECK_PATHS)
  foreach(file IN LISTS found)
    file(STRINGS ${PREFIX}/${file} strings)
    foreach(path IN ITEMS ${BUILD_DIR} ${SOURCE_DIR})
      string(FIND "${strings}" "${path}" at)
      if(NOT at EQUAL -1)
        message(FATAL_ERROR "${file} holds the build machine's path ${path}")
      endif()
    endforeach()
  endforeach()
endif()

if(RUN_RENDER)
  execute_process(COMMAND ${EMULATOR} ${PREFIX}/bin/vorlen-render --info
                  OUTPUT_VARIABLE info ERROR_VARIABLE info RESULT_VARIABLE result)
  if(NOT result EQUAL 0 OR NOT info MATCHES "Plug-in: +${PREFIX}/lib/vst/vorlen.so\n")
    message(FATAL_ERROR "the installed vorlen-render does not use the installed plug-in "
                        "(status ${result}):\n${info}")
  endif()
endif()
