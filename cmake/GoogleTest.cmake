# GoogleTest from Debian's sources, built with the project's own compiler.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
target_compile_options(gtest PRIVATE -w)
target_compile_options(gtest_main PRIVATE -w)

# seed_add_test(NAME SOURCES... LIBS lib... [ARGS argument...]) adds one test
# executable run by CTest, with ARGS on its command line.
function(seed_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;ARGS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} gtest_main gtest)
  # Tests allocate as the program does: a refusal ends in the fatal report.
  if(WIN32)
    target_link_libraries(${name} PRIVATE seed_heap)
  endif()
  seed_gtest_command(command ${name} ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${name}> ${ARG_ARGS})
  add_test(NAME ${name} COMMAND ${command})
  set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endfunction()

# seed_gtest_command(VARIABLE TEST COMMAND...) sets VARIABLE to COMMAND run
# through scripts/run-test-program: the test passes only on the evidence of
# the program's XML report (build/test-reports/TEST.xml), which a program
# that exits 0 without running its cases does not write.
function(seed_gtest_command variable test)
  set(report ${CMAKE_BINARY_DIR}/test-reports/${test}.xml)
  set(report_for_program ${report})
  if(CMAKE_CROSSCOMPILING_EMULATOR)
    # Wine sees the build folder on drive Z:.
    set(report_for_program Z:${report})
  endif()
  set(${variable} ${CMAKE_SOURCE_DIR}/scripts/run-test-program ${report} ${report_for_program} ${ARGN} PARENT_SCOPE)
endfunction()
