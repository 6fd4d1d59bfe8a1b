# collega_statico(TARGET)
# Links the program TARGET statically on Linux, when the system has the
# static C and C++ libraries: a run of crea_scenario takes about 20 ms, and
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

function(collega_statico bersaglio)
  if(SCENARIO_COLLEGA_STATICO)
    target_link_options(${bersaglio} PRIVATE -static)
  endif()
endfunction()
