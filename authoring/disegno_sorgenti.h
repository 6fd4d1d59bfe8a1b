#pragma once
// The drawing of what the authors' packer packed, made by the inspector's
// own reader, checks and drawing from the packed bytes (so it shows what
// the simulator will load), with each feature titled by the source line it
// comes from; the page beside it that shows it and reloads it whenever it
// is redrawn; and the notice an erroneous round puts over a drawing.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "inspector/elenco.h"
#include "packer/diagnosi.h"
#include "platform/disco.h"

namespace autore {

// The packed files of one packing, in memory; a file absent was not made.
struct pacchetti_in_memoria {
  std::string linea;  // route title, as for the file names
  std::string treno;  // train designation
  std::optional<std::string> byte_linea;
  std::optional<std::string> byte_voci;
  std::optional<std::string> byte_celle;
};

// Where each feature of `r` comes from: "FILE:LINE" of the record the
// loader read it from, as `d` kept them (diagnosi::tieni_origini), with
// the line source named `nome_linea` and the train source `nome_treno`.
ispettore::provenienze provenienze_da(const scenario::diagnosi& d, const ispettore::resoconto& r,
                                      const std::string& nome_linea, const std::string& nome_treno);

// The SVG document of the whole line as ispeziona_scenario --svg draws the
// same packed files, each feature's title ending "; from FILE:LINE".
// Requires the item and track files.
std::string disegna_pacchetti(const pacchetti_in_memoria& p, const scenario::diagnosi& d,
                              const std::string& nome_linea, const std::string& nome_treno);

// The drawing `svg` with a notice of one or two lines over its title band,
// for a drawing that is not of the sources as they stand.
std::string con_avviso(std::string_view svg, const std::string& riga1, const std::string& riga2);

// A drawing that holds only the notice: there is nothing to draw.
std::string senza_disegno(const std::string& riga1, const std::string& riga2);

// The names of the page and of its signal beside the drawing `svg`:
// "FILE.html" and "FILE.js".
std::string nome_pagina(const std::string& svg);
std::string nome_segnale(const std::string& svg);

// The page that shows the drawing named `nome_svg` (a bare file name, in
// the page's folder) and reloads it by itself: once a second it loads its
// signal (a script, which a page opened from disk may load, where it may
// not read a file), and redraws when the signal's round has changed. No
// network, nothing but these files.
std::string pagina(const std::string& nome_svg);

// The signal the page loads: round `giro`, the status line it shows
// (`errori`: in the colour of errors), and the drawing's size in pixels.
std::string segnale(int giro, const std::string& stato, bool errori, std::string_view svg);

// What the page beside a drawing shows: the round the drawing is of (the
// page reloads the drawing when it changes), and the status line it shows
// above it, in the colour of errors when `errori`.
struct pagina_disegno {
  int giro = 0;
  std::string stato;
  bool errori = false;
};

// Writes the drawing `svg` at `percorso` and, with `p`, the page and its
// signal beside it, under the folder's lock as every writer does (the
// signal last, so that the page never loads a drawing half-way). Without
// `svg`, only the signal is written (the status has changed, the drawing
// not). Refuses, writing nothing, a name that is one of `intoccabili` (the
// sources, the packed files) or where something other than a regular file
// stands. Throws piattaforma::ErroreFile; `in_attesa` as prendi_cartella.
void scrivi_disegno(piattaforma::Disco& disco, const std::string& percorso,
                    const std::optional<std::string>& svg, const std::optional<pagina_disegno>& p,
                    std::string_view svg_mostrato, const std::vector<std::string>& intoccabili,
                    const std::function<void()>& in_attesa);

}  // namespace autore
