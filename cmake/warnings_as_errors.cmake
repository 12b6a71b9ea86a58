# -Werror for the project's own source files only: not for code that moc and rcc generate,
# and not for headers of Qt and the system (included as system headers, so never warned).

function(lorvant_collect_targets directory out)
  get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirectories DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
  foreach(subdirectory ${subdirectories})
    lorvant_collect_targets(${subdirectory} more)
    list(APPEND targets ${more})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

# Every C++ source in the source tree is the project's own; build folders (which may lie
# inside it) hold what moc and rcc generate, and are left out. The folders are taken when
# CMake runs; a new folder comes with a CMakeLists.txt change, which runs it again.
function(lorvant_warnings_as_errors)
  file(GLOB entries RELATIVE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/*)
  set(patterns)
  foreach(entry ${entries})
    set(path ${CMAKE_SOURCE_DIR}/${entry})
    if(NOT IS_DIRECTORY ${path} OR entry MATCHES "^(build|\\.)" OR path STREQUAL CMAKE_BINARY_DIR)
      continue()
    endif()
    list(APPEND patterns ${path}/*.cpp)
  endforeach()
  file(GLOB_RECURSE own CONFIGURE_DEPENDS ${patterns})
  set(options -Werror)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # g++ 12 takes copies inside std::string's own code for overlapping ones (-Wrestrict,
    # GCC bug 105329); it stays a warning.
    list(APPEND options -Wno-error=restrict)
  endif()
  lorvant_collect_targets(${CMAKE_SOURCE_DIR} targets)
  set_property(SOURCE ${own} TARGET_DIRECTORY ${targets} APPEND PROPERTY COMPILE_OPTIONS
                                                                          ${options})
endfunction()
