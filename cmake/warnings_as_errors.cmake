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

function(lorvant_warnings_as_errors)
  set(folders app platform settings scanner transfer ui tools tests fuzz)
  set(patterns)
  foreach(folder ${folders})
    list(APPEND patterns ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  endforeach()
  file(GLOB_RECURSE own CONFIGURE_DEPENDS ${patterns})
  lorvant_collect_targets(${CMAKE_SOURCE_DIR} targets)
  set_property(SOURCE ${own} TARGET_DIRECTORY ${targets} APPEND PROPERTY COMPILE_OPTIONS -Werror)
endfunction()
