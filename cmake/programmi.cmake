# The programs, and the tests and benchmarks that start them.
#
# On Linux the programs are linked statically when the system has the
# static C and C++ libraries: a run of crea_scenario takes about 15 ms, and
# a dynamically linked one spends 2 ms of it loading and relocating the C++
# library. The sanitizer and fuzzing builds stay dynamic, as their runtimes
# and the tests' preloaded fault library need. The Windows build is static
# already (cmake/mingw-w64.cmake).
include(CheckCXXSourceCompiles)
if(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND NOT SCENARIO_SANITIZERS AND NOT SCENARIO_FUZZ)
  set(CMAKE_REQUIRED_LINK_OPTIONS -static)
  check_cxx_source_compiles("#include <string>
    int main(int argc, char**) { return static_cast<int>(std::to_string(argc).size()); }"
    SCENARIO_COLLEGA_STATICO)
  unset(CMAKE_REQUIRED_LINK_OPTIONS)
endif()

# aggiungi_programma(NAME MAIN MODULE)
# Builds the program NAME from the source MAIN (relative to the source
# tree) and the library MODULE, compiled against MODULE's include view,
# linked statically where it can be, and written to bin/ in the build tree.
# Every program so made goes into the release packages (cmake/rilascio.cmake).
function(aggiungi_programma nome principale modulo)
  set_property(GLOBAL APPEND PROPERTY SCENARIO_PROGRAMMI ${nome})
  add_executable(${nome} ${CMAKE_SOURCE_DIR}/${principale})
  target_link_libraries(${nome} PRIVATE ${modulo})
  usa_vista(${nome} ${modulo})
  if(SCENARIO_COLLEGA_STATICO)
    target_link_options(${nome} PRIVATE -static)
  endif()
  set_target_properties(${nome} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endfunction()

# avvia_programmi(TARGET PROGRAMS...)
# Lets the test or benchmark TARGET start the built PROGRAMS: each is built
# first, and its path is the macro PROGRAMMA_<NAME IN CAPITALS>.
function(avvia_programmi bersaglio)
  foreach(programma IN LISTS ARGN)
    string(TOUPPER ${programma} maiuscolo)
    target_compile_definitions(${bersaglio} PRIVATE
      PROGRAMMA_${maiuscolo}="$<TARGET_FILE:${programma}>")
  endforeach()
  add_dependencies(${bersaglio} ${ARGN})
endfunction()
