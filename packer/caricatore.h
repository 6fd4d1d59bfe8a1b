#pragma once
// The source loader: reads the line source and the train source into the
// model. The one-shot build deletes each source after reading it; an
// author's sources are read and left as they are.

#include <array>
#include <string>

#include "model/modello.h"
#include "packer/diagnosi.h"
#include "platform/disco.h"

namespace scenario {

// Which two files the loader reads, whether it deletes them once read (and
// on a rejection or a failed read), and where it reports what it found
// (nothing when null). With `fino_in_fondo` (and a diagnosi, and no
// deletion) the loader does not stop where it would: it reports there as it
// always does, then skips the record and goes on to the end of both
// sources, so that everything after the stop is checked too. The model it
// fills is then not the one to pack.
struct sorgenti_caricamento {
  std::string linea;
  std::string treno;
  bool elimina = true;
  diagnosi* rapporto = nullptr;
  bool fino_in_fondo = false;
};

// Fills `m` from the two source files in `cartella` (names formed from
// m.linea and m.treno), deleting them. Requires m.voci reset and
// m.codice_errore = 0. On return codice_errore = 0 means both files were
// read completely; otherwise it holds the error code and posizione_errore
// its chainage. Throws piattaforma::ErroreFile when a file operation fails
// (reading, examining or deleting a source); the model is then not to be
// packed.
void memorizza_dati(modello& m, piattaforma::Disco& disco, const std::string& cartella);

// The same for the two files named in `s`.
void memorizza_dati(modello& m, piattaforma::Disco& disco, const sorgenti_caricamento& s);

// The plan recurrence, n times over: assigns the next n rows of the plan
// table, each row j from rows j - 1 and j - 2: the same step again when
// `curva` is false, else the step turned by curvature k (positive to the
// right). Every such row is a double. Requires rows 0 and 1 assigned and n
// rows left (throws std::logic_error otherwise, see piano::metti_doppio);
// n <= 0 assigns nothing.
void righe_piano(piano& p, int64_t n, bool curva, double k);

// The curvature of a curve of class 1 to 6 (the digit of its record name),
// index 0 for class 1: radius 10000, 5000, 2500, 1000, 500 and about 333 m.
// A curve to the left ("s" in its name) turns by the negative value.
inline constexpr std::array<double, 6> curvatura_classe = {0.0001, 0.0002, 0.0004,
                                                           0.001,  0.002,  0.003};

}  // namespace scenario
