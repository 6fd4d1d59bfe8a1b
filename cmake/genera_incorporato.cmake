# Script mode: writes USCITA, a C++ file defining SIMBOLO as the bytes of INGRESSO.
file(READ ${INGRESSO} esadecimale HEX)
string(LENGTH "${esadecimale}" cifre)
math(EXPR byte "${cifre} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," elenco "${esadecimale}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){24})" "\\1\n" elenco "${elenco}")
file(WRITE ${USCITA}.tmp
"// Generated from ${INGRESSO}; edit that file, not this one.
#include <string_view>
namespace {
const char dati[] = {
${elenco}0x00};
}
extern const std::string_view ${SIMBOLO}(dati, ${byte});
")
file(RENAME ${USCITA}.tmp ${USCITA})
