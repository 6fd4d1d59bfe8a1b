# Script mode: writes USCITA, a C++ file defining SIMBOLO as the bytes of INGRESSO.
# Every byte becomes a \xNN escape of one string literal, so any byte is safe.
file(READ ${INGRESSO} esadecimale HEX)
string(LENGTH "${esadecimale}" cifre)
math(EXPR byte "${cifre} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" escape "${esadecimale}")
file(WRITE ${USCITA}.tmp
"// Generated from ${INGRESSO}; edit that file, not this one.
#include <string_view>
extern const std::string_view ${SIMBOLO};
constexpr std::string_view ${SIMBOLO}(
    \"${escape}\",
    ${byte});
")
file(RENAME ${USCITA}.tmp ${USCITA})
