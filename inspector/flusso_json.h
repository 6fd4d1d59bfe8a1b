#pragma once
// A JSON document written to a stream as it is produced, one member or
// element at a time, laid out exactly as nlohmann's dump(2) lays out the
// whole document: so a listing of any size is never held whole in memory,
// while each small piece is still built and escaped by nlohmann-json.

#include <ostream>
#include <string_view>

#include <nlohmann/json.hpp>

namespace ispettore {

// An object or array being written. Opening writes "{" or "["; each member
// or element goes out as it is added; chiudi() (or the destructor) writes
// the closing bracket, so an empty one reads "{}" or "[]" as in dump.
// Strings that are not UTF-8 are written with U+FFFD in place of what is
// not, rather than failing.
class ContenitoreJson {
 public:
  // A container at nesting depth `livello` (0: the document itself; its
  // closing bracket is indented by 2 x livello blanks). `oggetto`: braces,
  // else brackets.
  ContenitoreJson(std::ostream& uscita, bool oggetto, int livello = 0);
  ContenitoreJson(const ContenitoreJson&) = delete;
  ContenitoreJson& operator=(const ContenitoreJson&) = delete;
  ~ContenitoreJson() { chiudi(); }

  // Adds a member of an object.
  void membro(std::string_view chiave, const nlohmann::ordered_json& valore);
  // Adds an element of an array.
  void elemento(const nlohmann::ordered_json& valore);

  // Starts a member (of an object) or an element (of an array) whose value
  // the caller writes next, as a ContenitoreJson at livello_interno().
  void membro_aperto(std::string_view chiave);
  void elemento_aperto();
  int livello_interno() const { return livello_ + 1; }
  // The stream it writes to, for the containers nested in it.
  std::ostream& uscita() const { return uscita_; }

  // Writes the closing bracket; nothing more may be added. Idempotent.
  void chiudi();

 private:
  void prossimo();
  void valore(const nlohmann::ordered_json& v);

  std::ostream& uscita_;
  bool oggetto_;
  int livello_;
  bool vuoto_ = true;
  bool chiuso_ = false;
};

}  // namespace ispettore
