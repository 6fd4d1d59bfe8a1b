#pragma once
// Messages on the console: progress on standard output, failures on
// standard error. Text is UTF-8.

#include <string_view>

namespace piattaforma {

void messaggio(std::string_view testo);
void messaggio_errore(std::string_view testo);

}  // namespace piattaforma
