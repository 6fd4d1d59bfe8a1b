#include "packer/diagnosi.h"

#include <algorithm>
#include <span>
#include <array>
#include <cctype>
#include <utility>

#include "model/modello.h"

namespace scenario {
namespace {

// True for CR and LF.
bool fine_riga(char c) { return c == '\r' || c == '\n'; }

// The field without its trailing blanks.
std::string_view senza_blanchi(std::string_view campo) {
  while (!campo.empty() && (campo.back() == ' ' || campo.back() == '\t')) campo.remove_suffix(1);
  return campo;
}

// Edit distance between the two texts, letter case ignored, when it is at
// most `entro`; entro + 1 otherwise. Only the cells within `entro` of the
// diagonal are worked out (no path through the others stays within the
// bound), and the search stops at the first row whose every cell is past
// it; the rows live on the stack for the known names, all short, so that a
// source of many unknown names costs no allocation per comparison.
size_t distanza(std::string_view a, std::string_view b, size_t entro) {
  const size_t differenza = a.size() > b.size() ? a.size() - b.size() : b.size() - a.size();
  const size_t oltre = entro + 1;
  if (differenza > entro) return oltre;
  auto minuscola = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
  std::array<size_t, 64> riga_a{}, riga_b{};
  std::vector<size_t> lunga_a, lunga_b;
  std::span<size_t> prima(riga_a.data(), b.size() + 1), ora(riga_b.data(), b.size() + 1);
  if (b.size() + 1 > riga_a.size()) {
    lunga_a.resize(b.size() + 1);
    lunga_b.resize(b.size() + 1);
    prima = lunga_a;
    ora = lunga_b;
  }
  for (size_t j = 0; j <= b.size(); ++j) prima[j] = std::min(j, oltre);
  for (size_t i = 1; i <= a.size(); ++i) {
    // The band of row i: columns da to a_ (column 0 apart).
    const size_t da = i > entro ? i - entro : 1;
    const size_t fino = std::min(b.size(), i + entro);
    ora[0] = std::min(i, oltre);
    if (da > 1) ora[da - 1] = oltre;
    size_t minimo = ora[da - 1];
    const auto lettera = minuscola(a[i - 1]);
    for (size_t j = da; j <= fino; ++j) {
      const size_t cambio = prima[j - 1] + (lettera == minuscola(b[j - 1]) ? 0 : 1);
      ora[j] = std::min(std::min(prima[j], ora[j - 1]) + 1, std::min(cambio, oltre));
      minimo = std::min(minimo, ora[j]);
    }
    if (fino < b.size()) ora[fino + 1] = oltre;
    if (minimo > entro) return oltre;
    std::swap(prima, ora);
  }
  return std::min(prima[b.size()], oltre);
}

// What a kind of warning is, for the count of those not shown.
const char* nome_specie(specie t) {
  switch (t) {
    case specie::nome_sconosciuto: return "record names not recognised";
    case specie::campo_avanzato: return "fields left over";
    case specie::nome_tagliato: return "names cut at a comma";
    case specie::riga_continua: return "records that run on to the next line";
    case specie::commento: return "comments";
    case specie::piu_regole: return "record names that several rules take";
    case specie::fuori_posto: return "records outside their block";
    case specie::ordine: return "records out of order";
    case specie::valore: return "values packed otherwise than written";
    case specie::nome_record: return "record names read otherwise than written";
    case specie::testo: return "names and texts";
    case specie::oltre_fine: return "records past the route's end";
    case specie::mancante: return "missing records";
    case specie::codifica: return "encoding problems";
    case specie::conseguenza: return "consequences of an earlier error";
    case specie::numero: break;
  }
  return "diagnostics";
}

constexpr int chiave_errori = 1000;

}  // namespace

std::string tra_apici(std::string_view s) {
  std::string r = "`";
  r += piattaforma::citazione(s);
  r += '`';
  return r;
}

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
    const size_t d = distanza(campo, nome, ammessa);
    if (d <= ammessa && (!migliore || d < minima)) {
      migliore = nome;
      minima = d;
    }
  }
  return migliore;
}

// ---- the sources ----

void diagnosi::testo_sorgente(sorgente s, std::string_view dati) {
  indici_[static_cast<size_t>(s)] = piattaforma::indice_righe(dati);
}

piattaforma::riga_colonna diagnosi::posto(const luogo& l) const {
  return indici_[static_cast<size_t>(l.file)].dove(l.scostamento);
}

std::string diagnosi::riga_di(const luogo& l) const {
  return "line " + std::to_string(posto(l).riga);
}

size_t diagnosi::inizio_riga(const luogo& l) const {
  return indici_[static_cast<size_t>(l.file)].inizio_riga(l.scostamento);
}

// ---- what is kept ----

bool diagnosi::conta(int chiave, const luogo& dove) {
  if (solo_dopo_ && !riepilogo_ && !dopo(dove)) return false;
  conteggio& c = conteggi_[chiave];
  if (c.visti++ < mostrati_per_specie) return true;
  if (c.visti == mostrati_per_specie + 1) {
    c.primo_omesso = dove;
    c.primo_dopo_arresto = dopo(dove);
  }
  return false;
}

std::vector<omissione> diagnosi::omissioni() const {
  std::vector<omissione> r;
  for (const auto& [chiave, c] : conteggi_) {
    if (c.visti <= mostrati_per_specie) continue;
    omissione o;
    const bool codice = chiave >= chiave_errori;
    o.errore = codice || chiave % 2 == 1;
    o.cosa = codice ? "errors of code " + std::to_string(chiave - chiave_errori)
                    : std::string(o.errore ? "errors" : "warnings") + " of this kind (" +
                          nome_specie(static_cast<specie>(chiave / 2)) + ")";
    o.quanti = c.visti - mostrati_per_specie;
    o.primo = c.primo_omesso;
    o.dopo_arresto = c.primo_dopo_arresto;
    r.push_back(std::move(o));
  }
  return r;
}

void diagnosi::errore(errore_registrato e) {
  const luogo dove = e.dove.value_or(luogo{sorgente::treno, 0});
  e.dopo_arresto = e.dove ? dopo(dove) : fermo_tutto_ && !riepilogo_;
  if (solo_dopo_ && !riepilogo_ && !e.dopo_arresto) return;
  if (!conta(chiave_errori + e.codice, dove)) return;
  errori_.push_back(std::move(e));
}

bool diagnosi::da_tenere(specie t, const luogo& dove, bool errore) {
  return conta(static_cast<int>(t) * 2 + (errore ? 1 : 0), dove);
}

void diagnosi::aggiungi(avviso a) {
  a.dopo_arresto = dopo(a.dove);
  avvisi_.push_back(std::move(a));
}

void diagnosi::avvisa(specie t, const luogo& dove, std::string testo, bool errore,
                      std::vector<nota> note) {
  if (!da_tenere(t, dove, errore)) return;
  aggiungi({dove, std::move(testo), t, errore, std::move(note), false});
}

// ---- where the loader stopped ----

void diagnosi::arresto(sorgente s, bool tutto) {
  fermo_[static_cast<size_t>(s)] = true;
  if (tutto) fermo_tutto_ = true;
}

void diagnosi::conseguenza(const luogo& dove, std::string testo) {
  if (errori_.empty()) return;
  errori_.back().note.push_back({dove, std::move(testo)});
}

// ---- the checks on record names ----

// Reports a field in a record name's place that no rule takes, once per line.
void diagnosi::campo_non_riconosciuto(contesto c, luogo dove, std::string_view campo,
                                      std::string_view dati, bool dopo_testo) {
  const std::string_view nome = senza_blanchi(campo);
  if (nome.empty()) return;
  // Section headers are read and passed over on purpose.
  if (nome.front() == '[' && nome.find(']') != std::string_view::npos) return;
  const auto riga = riga_della(dove);
  if (riga_spiegata_ == riga) return;
  riga_spiegata_ = riga;

  // Only blanks before it on its line: it stands where a record name does.
  const bool primo = std::all_of(dati.begin() + static_cast<std::ptrdiff_t>(riga.second),
                                 dati.begin() + static_cast<std::ptrdiff_t>(dove.scostamento),
                                 [](char ch) { return ch == ' ' || ch == '\t'; });
  if (!primo && dopo_testo) {
    if (!da_tenere(specie::nome_tagliato, dove, true)) return;
    aggiungi({dove,
              "the name before it ends at the comma: the loader keeps only what stands before it, "
              "and reads " + tra_apici(nome) + " and the rest of the line as further fields, which "
              "are ignored; a station name or board text holds no comma",
              specie::nome_tagliato, true, {}, false});
    return;
  }
  if (!primo) {
    if (!da_tenere(specie::campo_avanzato, dove)) return;
    aggiungi({dove, "field " + tra_apici(nome) +
                        " is left over after the record on this line has all its fields; "
                        "it and the fields after it on the line are ignored",
              specie::campo_avanzato, false, {}, false});
    return;
  }
  if (!da_tenere(specie::nome_sconosciuto, dove, true)) return;
  auto errore = [&](std::string testo) {
    aggiungi({dove, std::move(testo), specie::nome_sconosciuto, true, {}, false});
  };
  const std::string ignorata =
      "record name " + tra_apici(nome) + " is not recognised, so the line is ignored";
  if (c == contesto::corpo_linea) {
    if (auto n = nome_vicino(contesto::testata_linea, nome)) {
      errore(tra_apici(*n) +
             " is read only in the [generale] block, before the section header that follows it; "
             "here the line is ignored: move it into that block");
      return;
    }
  }
  if (c == contesto::testata_linea) {
    if (auto n = nome_vicino(contesto::corpo_linea, nome)) {
      errore(tra_apici(*n) +
             " is read only after the [generale] block has ended (after the next section header); "
             "here the line is ignored: put a section header such as [curve] before it");
      return;
    }
  }
  if (auto n = nome_vicino(c, nome)) {
    errore(ignorata + ": did you mean " + tra_apici(*n) + "?");
    return;
  }
  const contesto altro = c == contesto::treno ? contesto::corpo_linea : contesto::treno;
  std::optional<std::string_view> n = nome_vicino(altro, nome);
  if (!n && c == contesto::treno) n = nome_vicino(contesto::testata_linea, nome);
  if (n) {
    errore(ignorata + ": " + tra_apici(*n) + " records belong in the " +
           (c == contesto::treno ? "line" : "train") + " source");
    return;
  }
  errore(ignorata + " (a comment is a line whose first field holds a hyphen, such as `-- note`)");
}

// Warns when the record's last field was read from a later line.
void diagnosi::record_letto(luogo dove, std::string_view nome, size_t ultimo_campo,
                            bool inghiottito) {
  const luogo ultimo{dove.file, ultimo_campo};
  if (riga_della(dove) == riga_della(ultimo)) return;
  riga_spiegata_ = riga_della(ultimo);
  const specie t = specie::riga_continua;
  if (!da_tenere(t, dove, inghiottito)) return;
  std::string testo = "record " + tra_apici(senza_blanchi(nome)) + " runs on to " +
                      riga_di(ultimo) +
                      ": its line holds fewer fields than the record takes, so the rest were read "
                      "from the line after it";
  if (inghiottito)
    testo += ", and what that line holds is lost; give this record all its fields";
  aggiungi({dove, testo, t, inghiottito, {{ultimo, "the record's last field was read here"}}, false});
}

// Warns about a comment that looks like a record, or whose commas make the
// rest of its line be read as records.
void diagnosi::commento(contesto c, luogo dove, std::string_view campo, std::string_view dati) {
  const std::string_view testo = senza_blanchi(campo);
  if (auto n = nome_vicino(c, testo)) {
    riga_spiegata_ = riga_della(dove);
    if (!da_tenere(specie::commento, dove)) return;
    aggiungi({dove, tra_apici(testo) +
                        " holds a hyphen, so the loader skips it as a comment: did you mean " +
                        tra_apici(*n) + "?",
              specie::commento, false, {}, false});
    return;
  }
  size_t i = dove.scostamento;
  while (i < dati.size() && !fine_riga(dati[i]) && dati[i] != ',') ++i;
  if (i < dati.size() && dati[i] == ',') {
    size_t j = i + 1;
    while (j < dati.size() && (dati[j] == ' ' || dati[j] == '\t')) ++j;
    if (j < dati.size() && !fine_riga(dati[j]))
      avvisa(specie::commento, dove,
             "a comment ends at its first comma: the rest of this line is read as further fields");
  }
}

void diagnosi::commento_di_troppo(luogo dove, std::string_view campo, int massimo, bool preso) {
  riga_spiegata_ = riga_della(dove);
  if (!da_tenere(specie::commento, dove, preso)) return;
  std::string testo = tra_apici(senza_blanchi(campo)) + " holds a hyphen but is read as a record "
                      "name: the loader skips at most " + std::to_string(massimo) +
                      " comments in a row, and this one comes after them";
  testo += preso ? ", and it holds the name of a record, which is read from it; "
                   "put a record line between the comments"
                 : "; it is ignored all the same";
  aggiungi({dove, testo, specie::commento, preso, {}, false});
}

void diagnosi::piu_regole(luogo dove, std::string_view nome, int n) {
  avvisa(specie::piu_regole, dove,
         "record name " + tra_apici(senza_blanchi(nome)) + " is taken by " + std::to_string(n) +
             " rules at once, each reading its own fields from this line");
}

void diagnosi::ignora_riga(luogo dove) { riga_spiegata_ = riga_della(dove); }

// ---- who holds a cell ----

void diagnosi::occupa(int32_t cella, const luogo& dove, const char* cosa) {
  if (cella < 0) return;
  celle_[cella] = {dove, cosa};
}

std::optional<nota> diagnosi::chi_occupa(int32_t cella) const {
  const auto o = celle_.find(cella);
  if (o == celle_.end() || o->second.cosa == nullptr) return std::nullopt;
  return nota{o->second.dove,
              std::string("the cell is held by ") + o->second.cosa + " at " + riga_di(o->second.dove)};
}

std::optional<luogo> diagnosi::luogo_del_passo(int32_t origine) const {
  const auto o = celle_.find(origine);
  if (o == celle_.end() || o->second.cosa == nullptr) return std::nullopt;
  return o->second.dove;
}

// ---- where the rest of the model comes from ----

void diagnosi::origine_voce(int riga, const luogo& dove) {
  if (origini_) voci_[riga] = dove;
}

void diagnosi::origine_profilo(profilo p, int32_t cella, const luogo& dove) {
  if (!origini_) return;
  auto& righe = profili_[static_cast<size_t>(p)];
  if (!righe.empty() && righe.back().first == cella)
    righe.back().second = dove;
  else if (righe.empty() || righe.back().first < cella)
    righe.push_back({cella, dove});
}

void diagnosi::origine_montagna(int32_t cella, const luogo& dove) {
  if (origini_) montagne_[cella] = dove;
}

std::optional<luogo> diagnosi::record_della_voce(int riga) const {
  const auto it = voci_.find(riga);
  if (it == voci_.end()) return std::nullopt;
  return it->second;
}

std::optional<luogo> diagnosi::record_del_profilo(profilo p, int32_t cella) const {
  const auto& righe = profili_[static_cast<size_t>(p)];
  const auto it = std::lower_bound(righe.begin(), righe.end(), cella,
                                   [](const auto& r, int32_t c) { return r.first < c; });
  if (it == righe.end() || it->first != cella) return std::nullopt;
  return it->second;
}

std::optional<luogo> diagnosi::record_della_montagna(int32_t cella) const {
  const auto it = montagne_.find(cella);
  if (it == montagne_.end()) return std::nullopt;
  return it->second;
}

}  // namespace scenario
