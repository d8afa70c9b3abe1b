# The Windows build's libraries. PCRE2 and libcurl are built from the tarballs
# in third_party/ into a prefix inside the build folder the first time the
# project is configured (scripts/build-third-party.sh checks their sums; it
# does nothing when the prefix is already complete). GoogleTest is built from
# the sources Debian's googletest package ships.
set(QIMBRA_THIRD_PARTY_PREFIX "${CMAKE_BINARY_DIR}/third_party" CACHE PATH "Prefix of the Windows build's PCRE2 and libcurl")

execute_process(
  COMMAND "${PROJECT_SOURCE_DIR}/scripts/build-third-party.sh" "${QIMBRA_THIRD_PARTY_PREFIX}" "${CMAKE_TOOLCHAIN_FILE}"
  RESULT_VARIABLE third_party_result)
if(NOT third_party_result EQUAL 0)
  message(FATAL_ERROR "building PCRE2 and libcurl into ${QIMBRA_THIRD_PARTY_PREFIX} failed")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/third_party/SHA256SUMS")

# Paths under the prefix are searched as they are, not below the toolchain's root.
list(APPEND CMAKE_FIND_ROOT_PATH "${QIMBRA_THIRD_PARTY_PREFIX}")

find_package(CURL REQUIRED CONFIG PATHS "${QIMBRA_THIRD_PARTY_PREFIX}/lib/cmake/CURL" NO_DEFAULT_PATH)
# Schannel and SSPI live in secur32, which curl's own list leaves to a
# library it loads at run time; naming it keeps the link complete either way.
set_property(TARGET CURL::libcurl APPEND PROPERTY INTERFACE_LINK_LIBRARIES secur32)

# PCRE2's own pkg-config file, from the prefix alone. It leaves out the define
# that a static PCRE2 needs on Windows.
set(ENV{PKG_CONFIG_LIBDIR} "${QIMBRA_THIRD_PARTY_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
find_package(PkgConfig REQUIRED)
pkg_check_modules(PCRE2 REQUIRED IMPORTED_TARGET libpcre2-16=10.42)
set_property(TARGET PkgConfig::PCRE2 APPEND PROPERTY INTERFACE_COMPILE_DEFINITIONS PCRE2_STATIC)

if(QIMBRA_BUILD_TESTS)
  set(QIMBRA_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources, built for Windows")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  # It names its own targets GTest::gtest, GTest::gmock and so on.
  add_subdirectory("${QIMBRA_GOOGLETEST_SOURCE}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
endif()
