#pragma once
// The content of the three driver's documents, embedded at build time from
// documents/note.txt, documents/rallentamenti.txt and
// documents/scheda_treno.txt (UTF-8, one line per LF).

#include <string_view>

extern const std::string_view testo_note;
extern const std::string_view testo_rallentamenti;
extern const std::string_view testo_scheda;
