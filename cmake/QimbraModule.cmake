# One library per module folder: every .cpp in the folder (not in tests/) is a
# source, and tests/*.cpp beside it form one GoogleTest executable.
#
# BACKEND names a sub-folder whose .cpp files are sources too: the module's
# code for one system (platform/linux/, platform/windows/). LINUX_TESTS lists
# test files that need what only the Linux build has (the loopback HTTPS
# fixture, fork, POSIX permissions); other builds leave them out.
# WINDOWS_TESTS lists those that test what only Windows does.
set(QIMBRA_WARNINGS -Wall -Wextra -Werror)

# A cross build lists its tests when they are about to run, not when it is
# built, so that building needs no emulator (Wine) and no emulator's start-up
# falls into the build.
if(CMAKE_CROSSCOMPILING)
  set(QIMBRA_TEST_DISCOVERY PRE_TEST)
else()
  set(QIMBRA_TEST_DISCOVERY POST_BUILD)
endif()

function(qimbra_module name)
  cmake_parse_arguments(ARG "" "BACKEND" "DEPS;TEST_DEPS;LINUX_TESTS;WINDOWS_TESTS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(ARG_BACKEND)
    file(GLOB backend_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_BACKEND}/*.cpp)
    list(APPEND sources ${backend_sources})
  endif()
  add_library(qimbra_${name} STATIC ${sources})
  target_include_directories(qimbra_${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(qimbra_${name} PRIVATE ${QIMBRA_WARNINGS})
  target_link_libraries(qimbra_${name} PUBLIC ${ARG_DEPS})
  qimbra_module_tests(${name} TEST_DEPS ${ARG_TEST_DEPS} LINUX_TESTS ${ARG_LINUX_TESTS}
                      WINDOWS_TESTS ${ARG_WINDOWS_TESTS})
endfunction()

function(qimbra_module_tests name)
  cmake_parse_arguments(ARG "" "" "TEST_DEPS;LINUX_TESTS;WINDOWS_TESTS" ${ARGN})
  if(NOT QIMBRA_BUILD_TESTS)
    return()
  endif()
  file(GLOB test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp)
  if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    set(other_systems_tests ${ARG_WINDOWS_TESTS})
  elseif(WIN32)
    set(other_systems_tests ${ARG_LINUX_TESTS})
  else()
    set(other_systems_tests ${ARG_LINUX_TESTS} ${ARG_WINDOWS_TESTS})
  endif()
  foreach(other_test ${other_systems_tests})
    list(REMOVE_ITEM test_sources ${CMAKE_CURRENT_SOURCE_DIR}/tests/${other_test})
  endforeach()
  if(NOT test_sources)
    return()
  endif()
  add_executable(qimbra_${name}_tests ${test_sources})
  target_compile_options(qimbra_${name}_tests PRIVATE ${QIMBRA_WARNINGS})
  target_link_libraries(qimbra_${name}_tests PRIVATE qimbra_${name} ${ARG_TEST_DEPS} GTest::gtest GTest::gmock
                        GTest::gtest_main)
  gtest_discover_tests(qimbra_${name}_tests DISCOVERY_TIMEOUT 60 DISCOVERY_MODE ${QIMBRA_TEST_DISCOVERY} PROPERTIES
                       ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
