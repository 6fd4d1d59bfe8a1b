#include "packer/diagnosi.h"

#include <algorithm>
#include <array>
#include <span>
#include <cctype>

#include "model/modello.h"
#include "platform/lettore_campi.h"

namespace scenario {
namespace {

// True for CR and LF.
bool fine_riga(char c) { return c == '\r' || c == '\n'; }

// The field without its trailing blanks.
std::string_view senza_blanchi(std::string_view campo) {
  while (!campo.empty() && (campo.back() == ' ' || campo.back() == '\t')) campo.remove_suffix(1);
  return campo;
}

// Edit distance between the two texts, letter case ignored.
size_t distanza(std::string_view a, std::string_view b) {
  auto minuscola = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
  // Two rows on the stack for the known names (all short), so that a source
  // of many unknown names does not allocate for each comparison.
  std::array<size_t, 64> riga_a{}, riga_b{};
  std::vector<size_t> lunga_a, lunga_b;
  std::span<size_t> prima(riga_a), ora(riga_b);
  if (b.size() + 1 > riga_a.size()) {
    lunga_a.resize(b.size() + 1);
    lunga_b.resize(b.size() + 1);
    prima = lunga_a;
    ora = lunga_b;
  }
  for (size_t j = 0; j <= b.size(); ++j) prima[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    ora[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t cambio = prima[j - 1] + (minuscola(a[i - 1]) == minuscola(b[j - 1]) ? 0 : 1);
      ora[j] = std::min({prima[j] + 1, ora[j - 1] + 1, cambio});
    }
    std::swap(prima, ora);
  }
  return prima[b.size()];
}

// The text between backquotes, as names are quoted in messages; a long one
// is cut short.
std::string tra_apici(std::string_view s) {
  std::string r = "`";
  r += piattaforma::accorcia(s);
  r += '`';
  return r;
}

}  // namespace

const std::vector<std::string_view>& nomi_noti(contesto c) {
  static const std::vector<std::string_view> testata = {
      "lunghezza percorso",           "progressiva chilometrica uno", "progressiva chilometrica due",
      "progressiva chilometrica tre", "sfondo uno",                   "sfondo due",
      "sfondo tre",                   "ripetizione segnali 9 codici", "ripetizione segnali 4 codici"};
  static const std::vector<std::string_view> corpo = {
      "curvad1",  "curvad2",  "curvad3",  "curvad4",          "curvad5",
      "curvad6",  "curvas1",  "curvas2",  "curvas3",          "curvas4",
      "curvas5",  "curvas6",  "pendenza", "montagna",         "indicatori_v_max",
      "cartello_indicatore"};
  static const std::vector<std::string_view> treno = {
      "numero vetture", "percentuale massa frenata", "sabbia",    "orologio",
      "aderenza",       "velocita",                  "stazione",  "rallentamento",
      "segnale",        "abbattimento"};
  switch (c) {
    case contesto::testata_linea: return testata;
    case contesto::corpo_linea: return corpo;
    case contesto::treno: break;
  }
  return treno;
}

// Closest known name within two edits (one for names under five letters).
std::optional<std::string_view> nome_vicino(contesto c, std::string_view campo) {
  campo = senza_blanchi(campo);
  std::optional<std::string_view> migliore;
  size_t minima = 0;
  for (std::string_view nome : nomi_noti(c)) {
    const size_t ammessa = nome.size() < 5 ? 1 : 2;
    // The lengths alone differ by more: no need to weigh a long field.
    if (campo.size() > nome.size() + ammessa || nome.size() > campo.size() + ammessa) continue;
    const size_t d = distanza(campo, nome);
    if (d <= ammessa && (!migliore || d < minima)) {
      migliore = nome;
      minima = d;
    }
  }
  return migliore;
}

// Built on first use, and again only when the source's text is another one.
const piattaforma::tavola_righe& diagnosi::righe(sorgente s, std::string_view dati) {
  righe_sorgente& r = righe_[s == sorgente::linea ? 0 : 1];
  if (r.testo != dati.data() || r.dimensione != dati.size())
    r = {dati.data(), dati.size(), piattaforma::tavola_righe(dati)};
  return r.righe;
}

void diagnosi::ignora_riga(luogo dove, std::string_view dati) {
  riga_spiegata_ = std::pair{dove.file, inizio_riga(dove.file, dati, dove.scostamento)};
}

// Reports a field in a record name's place that no rule takes, once per line.
void diagnosi::campo_non_riconosciuto(contesto c, luogo dove, std::string_view campo,
                                      std::string_view dati) {
  const std::string_view nome = senza_blanchi(campo);
  if (nome.empty()) return;
  // Section headers are read and passed over on purpose.
  if (nome.front() == '[' && nome.find(']') != std::string_view::npos) return;
  const size_t riga = inizio_riga(dove.file, dati, dove.scostamento);
  if (riga_spiegata_ == std::pair{dove.file, riga}) return;
  riga_spiegata_ = std::pair{dove.file, riga};

  const bool primo = std::all_of(dati.begin() + static_cast<std::ptrdiff_t>(riga),
                                 dati.begin() + static_cast<std::ptrdiff_t>(dove.scostamento),
                                 [](char ch) { return ch == ' ' || ch == '\t'; });
  if (!primo) {
    avvisi.push_back({dove, "field " + tra_apici(nome) +
                                " is left over after the record on this line has all its fields; "
                                "it and the fields after it on the line are ignored"});
    return;
  }
  const std::string ignorata = "record name " + tra_apici(nome) + " is not recognised, so the line is ignored";
  if (c == contesto::corpo_linea) {
    if (auto n = nome_vicino(contesto::testata_linea, nome)) {
      avvisi.push_back({dove, tra_apici(*n) +
                                  " is read only in the [generale] block, before the section header "
                                  "that follows it; here the line is ignored"});
      return;
    }
  }
  if (c == contesto::testata_linea) {
    if (auto n = nome_vicino(contesto::corpo_linea, nome)) {
      avvisi.push_back({dove, tra_apici(*n) +
                                  " is read only after the [generale] block has ended (after the "
                                  "next section header); here the line is ignored"});
      return;
    }
  }
  if (auto n = nome_vicino(c, nome)) {
    avvisi.push_back({dove, ignorata + ": did you mean " + tra_apici(*n) + "?"});
    return;
  }
  const contesto altro = c == contesto::treno ? contesto::corpo_linea : contesto::treno;
  std::optional<std::string_view> n = nome_vicino(altro, nome);
  if (!n && c == contesto::treno) n = nome_vicino(contesto::testata_linea, nome);
  if (n) {
    avvisi.push_back({dove, ignorata + ": " + tra_apici(*n) + " records belong in the " +
                                (c == contesto::treno ? "line" : "train") + " source"});
    return;
  }
  avvisi.push_back({dove, ignorata});
}

// Warns when the record's last field was read from a later line.
void diagnosi::record_letto(luogo dove, std::string_view nome, size_t ultimo_campo,
                            std::string_view dati) {
  const size_t fine = std::min(ultimo_campo, dati.size());
  bool a_capo = false;
  for (size_t i = dove.scostamento; i < fine && !a_capo; ++i) a_capo = fine_riga(dati[i]);
  if (!a_capo) return;
  riga_spiegata_ = std::pair{dove.file, inizio_riga(dove.file, dati, fine)};
  avvisi.push_back({dove, "record " + tra_apici(senza_blanchi(nome)) + " runs on to line " +
                              std::to_string(righe(dove.file, dati).trova(fine).riga) +
                              ": its line holds fewer fields than the record takes, so the rest "
                              "were read from the line after it"});
}

// Warns about a comment that looks like a record, or whose commas make the
// rest of its line be read as records.
void diagnosi::commento(contesto c, luogo dove, std::string_view campo, std::string_view dati) {
  const std::string_view testo = senza_blanchi(campo);
  if (auto n = nome_vicino(c, testo)) {
    avvisi.push_back({dove, tra_apici(testo) +
                                " holds a hyphen, so the loader skips it as a comment: did you mean " +
                                tra_apici(*n) + "?"});
    riga_spiegata_ = std::pair{dove.file, inizio_riga(dove.file, dati, dove.scostamento)};
    return;
  }
  size_t i = dove.scostamento;
  while (i < dati.size() && !fine_riga(dati[i]) && dati[i] != ',') ++i;
  if (i < dati.size() && dati[i] == ',') {
    size_t j = i + 1;
    while (j < dati.size() && (dati[j] == ' ' || dati[j] == '\t')) ++j;
    if (j < dati.size() && !fine_riga(dati[j]))
      avvisi.push_back({dove, "a comment ends at its first comma: the rest of this line is read as "
                              "further fields"});
  }
}

void diagnosi::piu_regole(luogo dove, std::string_view nome, int n) {
  avvisi.push_back({dove, "record name " + tra_apici(senza_blanchi(nome)) + " is taken by " +
                              std::to_string(n) +
                              " rules at once, each reading its own fields from this line"});
}

std::optional<luogo> diagnosi::luogo_del_passo(int32_t codice, int32_t n) const {
  switch (codice) {
    case errore::segnale_senza_codice: {
      auto s = segnali_.find(n);
      if (s != segnali_.end()) return s->second;
      break;
    }
    case errore::gruppo_avvicinamento:
      for (const tratto& t : rallentamenti_)
        if (t.inizio == n) return t.dove;
      break;
    case errore::codice_periodico:
      for (const tratto& t : rallentamenti_)
        if (t.inizio < n && n <= t.fine) return t.dove;
      break;
    default: break;
  }
  return std::nullopt;
}

}  // namespace scenario
