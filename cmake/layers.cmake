# One library per layer, each linking only the layers below it (scripts/check-layers.py
# checks the includes the same way):
#   text -> formats (files, the scanner protocol) -> core -> system (serial port, program
#   files) -> platform (with ui/) -> windows -> the programs. The lower three are plain C++20
#   on the standard library, no Qt header; so are the test doubles, the device model with its
#   data file and the in-memory line, which the tests, the emulator and the fuzz targets link
#   (the program links none of them). The Windows build (tests/windows/) makes these alone.
function(lorvant_layer name)
  add_library(${name} STATIC)
  target_include_directories(${name} PUBLIC ${LORVANT_SOURCE_ROOT})
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()
get_filename_component(LORVANT_SOURCE_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
lorvant_layer(lorvant_text)
lorvant_layer(lorvant_formats lorvant_text)
lorvant_layer(lorvant_core lorvant_formats)
lorvant_layer(lorvant_test_doubles lorvant_formats)
set_target_properties(lorvant_text lorvant_formats lorvant_core lorvant_test_doubles
                      PROPERTIES AUTOMOC OFF AUTORCC OFF)
