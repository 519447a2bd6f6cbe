# Debian packages GoogleTest prebuilt for the machine's own architecture only.
# For 32-bit and Windows builds, GoogleTest is built in the tree from the
# sources that libgtest-dev ships, for the target at hand: this dependency
# provider answers find_package(GTest) with those targets. Presets load it
# through CMAKE_PROJECT_TOP_LEVEL_INCLUDES.
set(VORLEN_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources to build")

function(vorlen_provide_googletest method package_name)
  if(NOT package_name MATCHES "^(GTest|GMock)$")
    return()  # every other package is searched for as usual
  endif()
  if(NOT TARGET GTest::gtest)
    if(NOT EXISTS ${VORLEN_GOOGLETEST_SOURCE}/CMakeLists.txt)
      message(FATAL_ERROR "No GoogleTest sources in ${VORLEN_GOOGLETEST_SOURCE}: "
                          "install libgtest-dev and libgmock-dev (scripts/deps)")
    endif()
    set(INSTALL_GTEST OFF)
    # GoogleTest is not ours to hold to our warning flags (-Werror included);
    # it keeps the target's code generation flags (-Wa, passes one).
    get_directory_property(options COMPILE_OPTIONS)
    set(gtest_options ${options})
    list(FILTER gtest_options EXCLUDE REGEX "^-W([^a]|a[^,])")
    set_directory_properties(PROPERTIES COMPILE_OPTIONS "${gtest_options}")
    set(CMAKE_COMPILE_WARNING_AS_ERROR OFF)
    add_subdirectory(${VORLEN_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/_deps/googletest
                     EXCLUDE_FROM_ALL)
    set_directory_properties(PROPERTIES COMPILE_OPTIONS "${options}")
  endif()
  set(${package_name}_FOUND TRUE PARENT_SCOPE)
endfunction()

cmake_language(SET_DEPENDENCY_PROVIDER vorlen_provide_googletest SUPPORTED_METHODS FIND_PACKAGE)
