# AddressSanitizer (with LeakSanitizer) and UndefinedBehaviorSanitizer for the whole build
# (LORVANT_SANITIZE). Every test and every process a test starts (the program, the
# emulator, the key recorder) runs with them: a finding ends that process with a failure
# exit, and its report goes to a file in sanitizer-reports/ of the build tree, named after
# the executable. A last CTest test fails when any report is there, so a finding in a child
# process whose exit status nobody looked at still fails the run.

if(NOT LORVANT_SANITIZE)
  function(lorvant_sanitizer_test_properties)
  endfunction()
  return()
endif()

add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                    -fno-omit-frame-pointer)
# The level the sanitizers are made for, with just the line tables their reports need:
# quicker to build and to run than -O2 with full debug information.
add_compile_options(
  -O1 "$<IF:$<OR:$<COMPILE_LANG_AND_ID:CXX,Clang>,$<COMPILE_LANG_AND_ID:C,Clang>>,-gline-tables-only,-g1>")
add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)

set(LORVANT_SANITIZER_REPORTS ${CMAKE_BINARY_DIR}/sanitizer-reports)
set(LORVANT_SANITIZER_ENVIRONMENT
    "ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:log_path=${LORVANT_SANITIZER_REPORTS}/asan:log_exe_name=1"
    "UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1:log_path=${LORVANT_SANITIZER_REPORTS}/ubsan:log_exe_name=1"
    "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/cmake/lsan.supp:print_suppressions=0")

# Gives every test of the calling directory the sanitizer settings and puts it between
# emptying the report folder and looking into it.
function(lorvant_sanitizer_test_properties)
  get_property(tests DIRECTORY PROPERTY TESTS)
  foreach(test ${tests})
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT ${LORVANT_SANITIZER_ENVIRONMENT})
    set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED sanitizer_reports)
  endforeach()
endfunction()

enable_testing()
add_test(NAME sanitizer_reports_cleared
         COMMAND ${CMAKE_COMMAND} -DDIRECTORY=${LORVANT_SANITIZER_REPORTS}
                 -P ${CMAKE_SOURCE_DIR}/cmake/clear_sanitizer_reports.cmake)
add_test(NAME sanitizer_reports
         COMMAND ${CMAKE_COMMAND} -DDIRECTORY=${LORVANT_SANITIZER_REPORTS}
                 -P ${CMAKE_SOURCE_DIR}/cmake/check_sanitizer_reports.cmake)
set_tests_properties(sanitizer_reports_cleared PROPERTIES FIXTURES_SETUP sanitizer_reports)
set_tests_properties(sanitizer_reports PROPERTIES FIXTURES_CLEANUP sanitizer_reports)
