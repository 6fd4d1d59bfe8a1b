#pragma once
// Text files as the builder writes them: a table of lines closed by an end
// marker, each line written in Windows-1252 and followed by CR LF.

#include <string>
#include <string_view>
#include <vector>

#include "platform/disco.h"

namespace piattaforma {

// The entry that closes every line table; it is never written.
inline constexpr std::string_view marcatore_fine = "riferimento fine del file";

// Entries of a line table: indexes 0 to 1000.
inline constexpr size_t capacita_tabella = 1001;

// Splits embedded UTF-8 content into lines at LF (the text must end with LF
// and hold no CR) and closes the table with the end marker. Throws
// std::logic_error when the content breaks those rules, holds the end
// marker as a line, or does not fit the table.
std::vector<std::string> tabella_righe(std::string_view contenuto, std::string_view nome);

// Encodes the entries before the end marker as Windows-1252 lines, each
// followed by CR LF. `tabella` must hold the end marker. Throws ErroreFile
// naming `percorso` and the line when a character has no Windows-1252 byte.
std::string testo_crlf(const std::vector<std::string>& tabella, const std::string& percorso);

// Writes the table to `percorso`, replacing any earlier file whole.
void scrivi_tabella(Disco& disco, const std::string& percorso,
                    const std::vector<std::string>& tabella);

}  // namespace piattaforma
