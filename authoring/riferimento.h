#pragma once
// The field reference of the two sources: what every record and every field
// means, its unit and values, what the loader does with it, and an example.
// Its one home is authoring/riferimento.txt, a plain text that the README
// links and that is embedded here, so the program prints the very same text.

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace autore {

// One record's section of the reference.
struct voce_riferimento {
  std::string nome;    // the record's name as the title gives it: "stazione"
  std::string fonte;   // which source, and where in it: "train source"
  std::string testo;   // the whole section, its title lines included
};

// The whole reference as the file holds it.
std::string_view testo_riferimento_intero();

// The sections of the reference, one per record, in the file's order.
const std::vector<voce_riferimento>& voci_riferimento();

// The sections a record name given by the user points to: the one whose
// name it is, or begins with (`curvad3` is a curve, `sfondo due` a
// background); failing that, every section whose name holds it. Letter
// case and repeated blanks do not count.
std::vector<const voce_riferimento*> cerca_riferimento(std::string_view nome);

// --reference: with no record, the introduction and the list of records;
// with one, its section. Returns the exit status: 0, or 3 when no record
// matches (the message lists them).
int stampa_riferimento(const std::string& record, std::ostream& uscita, std::ostream& errori);

}  // namespace autore
