#pragma once
// The content of the two source files, embedded at build time from
// sources/linea.txt and sources/treno.txt (UTF-8, one line per LF).

#include <string_view>

extern const std::string_view testo_linea;
extern const std::string_view testo_treno;
