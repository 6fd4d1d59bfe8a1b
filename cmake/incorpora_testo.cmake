# incorpora_testo(TARGET FILE SYMBOL)
# Embeds the bytes of FILE (UTF-8 text kept in the repository) into TARGET as
#   extern const std::string_view SYMBOL;
# The file is re-read whenever it changes.
function(incorpora_testo target file simbolo)
  set(uscita ${CMAKE_BINARY_DIR}/incorporati/${simbolo}.cpp)
  add_custom_command(
    OUTPUT ${uscita}
    COMMAND ${CMAKE_COMMAND} -DINGRESSO=${file} -DUSCITA=${uscita} -DSIMBOLO=${simbolo}
            -P ${CMAKE_SOURCE_DIR}/cmake/genera_incorporato.cmake
    DEPENDS ${file} ${CMAKE_SOURCE_DIR}/cmake/genera_incorporato.cmake
    COMMENT "Embedding ${file}")
  target_sources(${target} PRIVATE ${uscita})
endfunction()
