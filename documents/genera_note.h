#pragma once
// A draft of the scenario notes, made from the run: the facts an author
// would otherwise copy by hand (route and length, train and departure, the
// stops and the long ones, the speed limits by stretch, cab signalling and
// its code points, the slowdowns), in the notes' layout: paragraphs opened
// by four blanks, lines of at most 98 characters, no empty line. It says
// at its head that it is a draft for the author to complete. Lines are
// Windows-1252, without line ends.

#include <string>
#include <vector>

#include "documents/corsa.h"
#include "documents/valori_documenti.h"

namespace documenti {

// Longest line of the notes.
inline constexpr size_t larghezza_note = 98;

// A paragraph broken into lines at blanks: the first opened by four
// blanks, none longer than `larghezza` but a word that is longer alone.
std::vector<std::string> paragrafo(const std::string& testo, size_t larghezza = larghezza_note);

// The draft, one string per line.
std::vector<std::string> genera_note(const corsa& c, const valori_documenti& v);

}  // namespace documenti
