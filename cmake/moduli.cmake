# Modules, and the include views that keep their layers apart.
#
# A module is one folder built as one static library; sources name headers
# by folder ("packer/caricatore.h"). No module sees the whole source tree:
# each compiles against an include view of its own, a folder in the build
# tree (viste/NAME) holding one link per source folder it may use: its own
# and those of the modules it links, directly or through them. A header of
# any other folder is not there, so an include that runs upward fails to
# compile. Test programs and benchmarks see their module's view and the
# test support's (prova/, with what it links).

# aggiungi_modulo(NAME FOLDER [DEPENDENCIES...])
# Builds the library NAME from FOLDER/*.cpp (tests, benchmarks and main.cpp
# left out), linking the DEPENDENCIES (modules or other targets); with
# SCENARIO_TESTS the test program NAME_test from FOLDER/*_test.cpp,
# registered with ctest; with SCENARIO_BENCHMARKS the program NAME_bench
# from FOLDER/*_bench.cpp. Tests and benchmarks also link the test support.
function(aggiungi_modulo nome cartella)
  file(GLOB tutti CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${cartella}/*.cpp)
  set(sorgenti_lib)
  set(sorgenti_test)
  set(sorgenti_bench)
  foreach(f IN LISTS tutti)
    if(f MATCHES "_test\\.cpp$")
      list(APPEND sorgenti_test ${f})
    elseif(f MATCHES "_bench\\.cpp$")
      list(APPEND sorgenti_bench ${f})
    elseif(NOT f MATCHES "/main\\.cpp$")
      list(APPEND sorgenti_lib ${f})
    endif()
  endforeach()
  add_library(${nome} STATIC ${sorgenti_lib})
  target_link_libraries(${nome} PUBLIC ${ARGN})
  set_property(GLOBAL PROPERTY cartella_modulo_${nome} ${cartella})
  set_property(GLOBAL PROPERTY dipendenze_modulo_${nome} ${ARGN})
  usa_vista(${nome} ${nome})
  if(SCENARIO_TESTS AND sorgenti_test)
    add_executable(${nome}_test ${sorgenti_test})
    target_link_libraries(${nome}_test PRIVATE ${nome} prova GTest::gtest_main)
    usa_vista(${nome}_test ${nome} prova)
    if(CMAKE_CROSSCOMPILING)
      # Listed through the emulator when ctest runs, so building needs no Wine.
      gtest_discover_tests(${nome}_test DISCOVERY_TIMEOUT 60 DISCOVERY_MODE PRE_TEST)
    else()
      gtest_discover_tests(${nome}_test DISCOVERY_TIMEOUT 60)
    endif()
  endif()
  if(SCENARIO_BENCHMARKS AND sorgenti_bench)
    add_executable(${nome}_bench ${sorgenti_bench})
    target_link_libraries(${nome}_bench PRIVATE ${nome} prova benchmark::benchmark_main)
    usa_vista(${nome}_bench ${nome} prova)
  endif()
endfunction()

# usa_vista(TARGET MODULES...)
# Compiles TARGET against the include view of the MODULES: their folders and
# those of every module they link. The view is made once every module is
# known, at the end of the configuration.
function(usa_vista bersaglio)
  target_include_directories(${bersaglio} PRIVATE ${CMAKE_BINARY_DIR}/viste/${bersaglio})
  set_property(GLOBAL APPEND PROPERTY viste_da_creare ${bersaglio})
  set_property(GLOBAL PROPERTY moduli_vista_${bersaglio} ${ARGN})
endfunction()

# cartelle_moduli(VAR MODULES...)
# Sets VAR to the folders of the MODULES and of the modules they link,
# directly or through others; targets that are not modules add nothing.
function(cartelle_moduli var)
  set(cartelle)
  set(visti)
  set(da_visitare ${ARGN})
  while(da_visitare)
    list(POP_FRONT da_visitare m)
    if(m IN_LIST visti)
      continue()
    endif()
    list(APPEND visti ${m})
    get_property(c GLOBAL PROPERTY cartella_modulo_${m})
    if(c)
      list(APPEND cartelle ${c})
      get_property(d GLOBAL PROPERTY dipendenze_modulo_${m})
      list(APPEND da_visitare ${d})
    endif()
  endwhile()
  list(REMOVE_DUPLICATES cartelle)
  set(${var} ${cartelle} PARENT_SCOPE)
endfunction()

# Makes the include view of every target that asked for one: a folder of
# links to the source folders it may see. Links of an earlier configuration
# go first (a module may link less than it did). Where the file system
# cannot hold links, the target sees the whole tree and a warning says so.
function(crea_viste)
  get_property(bersagli GLOBAL PROPERTY viste_da_creare)
  foreach(b IN LISTS bersagli)
    get_property(moduli GLOBAL PROPERTY moduli_vista_${b})
    cartelle_moduli(cartelle ${moduli})
    set(vista ${CMAKE_BINARY_DIR}/viste/${b})
    file(MAKE_DIRECTORY ${vista})
    file(GLOB vecchi LIST_DIRECTORIES true ${vista}/*)
    foreach(v IN LISTS vecchi)
      if(IS_SYMLINK ${v})
        file(REMOVE ${v})
      endif()
    endforeach()
    foreach(c IN LISTS cartelle)
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${c} ${vista}/${c} RESULT esito SYMBOLIC)
      if(NOT esito EQUAL 0)
        message(WARNING "Cannot link ${vista}/${c} (${esito}): ${b} sees every module's "
                        "headers, so an upward include is not caught in this build")
        target_include_directories(${b} PRIVATE ${CMAKE_SOURCE_DIR})
        break()
      endif()
    endforeach()
  endforeach()
endfunction()
cmake_language(DEFER CALL crea_viste)
