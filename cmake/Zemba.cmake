# zemba_library(<target> [PUBLIC deps...]): one library from every .cpp in the current folder.
function(zemba_library target)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${target} STATIC ${sources})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${ARGN})
endfunction()

# What one system's tests leave out is named here, a whole file at a time, with the reason:
# zemba_skip_on_windows and zemba_only_on_windows below. Inside a test file, #if _WIN32 may pick
# the value a check expects on each system (see tests/support/FileModes.h), never skip a case.

# zemba_skip_on_windows(<reason> files...): leaves test sources of the current folder out of the
# Windows build, saying why at configure time. The Linux build keeps them.
macro(zemba_skip_on_windows reason)
  if(WIN32)
    zemba_leave_out_tests(Windows "${reason}" ${ARGN})
  endif()
endmacro()

# zemba_only_on_windows(<reason> files...): the converse, for tests of what only Windows does.
macro(zemba_only_on_windows reason)
  if(NOT WIN32)
    zemba_leave_out_tests(Linux "${reason}" ${ARGN})
  endif()
endmacro()

macro(zemba_leave_out_tests system reason)
  foreach(skipped ${ARGN})
    message(STATUS "${system}: ${CMAKE_CURRENT_SOURCE_DIR}/${skipped} left out: ${reason}")
    list(APPEND ZEMBA_SKIPPED_TESTS ${CMAKE_CURRENT_SOURCE_DIR}/${skipped})
  endforeach()
endmacro()

# zemba_test_dir(<name> deps...): one GoogleTest program from every .cpp in the current folder,
# less what this system leaves out (above). ZEMBA_TEST_PROPERTIES, when set, adds test
# properties (a resource lock, say) to every test of the program.
function(zemba_test_dir name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(ZEMBA_SKIPPED_TESTS AND sources)
    list(REMOVE_ITEM sources ${ZEMBA_SKIPPED_TESTS})
  endif()
  if(NOT sources)
    return()
  endif()
  add_executable(${name}_tests ${sources})
  target_link_libraries(${name}_tests PRIVATE ${ARGN} GTest::gtest zemba_testmain GTest::gmock)
  target_compile_definitions(${name}_tests PRIVATE
    ZEMBA_SOURCE_DIR="${PROJECT_SOURCE_DIR}" ZEMBA_BINARY_DIR="${PROJECT_BINARY_DIR}")
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    # Under Wine the tests are listed when ctest starts, one program at a time, so the first
    # listing creates the run's Wine prefix alone, before any test runs.
    gtest_discover_tests(${name}_tests DISCOVERY_TIMEOUT 120 DISCOVERY_MODE PRE_TEST
      PROPERTIES TIMEOUT 300 ${ZEMBA_TEST_PROPERTIES})
  else()
    gtest_discover_tests(${name}_tests DISCOVERY_TIMEOUT 60
      PROPERTIES TIMEOUT 300 ${ZEMBA_TEST_PROPERTIES})
  endif()
endfunction()
