#pragma once
// The file system as the builder sees it: whole files, read, replaced or
// removed by path. Paths are UTF-8. Tests substitute a fake disk.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/coda_sfondo.h"

namespace piattaforma {

// A replacement writes "<name>.nuovo-" followed by 16 random hexadecimal
// digits, in the same folder, then renames it over the name.
inline constexpr std::string_view segno_temporaneo = ".nuovo-";
inline constexpr size_t cifre_temporaneo = 16;
// Bytes that a temporary name adds to the name it replaces.
inline constexpr size_t lunghezza_suffisso_temporaneo = segno_temporaneo.size() + cifre_temporaneo;

// True when `nome` (a bare file name) is a temporary name of `finale`.
bool temporaneo_di(std::string_view nome, std::string_view finale);

class Disco {
 public:
  // A held lock; releasing it (destroying the object) lets the next holder in.
  class Blocco {
   public:
    virtual ~Blocco() = default;
  };

  virtual ~Disco() = default;

  // True when the path names an existing regular file, false when nothing
  // is there. Throws ErroreFile when the system cannot tell.
  virtual bool esiste(const std::string& percorso) = 0;

  // Returns every byte of the file. Throws ErroreFile when it cannot be read.
  virtual std::string leggi(const std::string& percorso) = 0;

  // Replaces the file with exactly `contenuto`, creating it when missing.
  // The new bytes go to a temporary file in the same folder that is then
  // renamed over the old one, so a failure part-way leaves the old file
  // whole (or no file) and never a truncated one. Throws ErroreFile.
  virtual void sostituisci(const std::string& percorso, std::string_view contenuto) = 0;

  // Replaces the file as sostituisci does (never half-written, never
  // through a link), but flushes nothing to the device: for a file that the
  // same run reads back and removes, whose loss in a crash costs nothing.
  // This default is sostituisci.
  virtual void sostituisci_provvisorio(const std::string& percorso, std::string_view contenuto);

  // A series of replacements whose renames one folder flush makes durable.
  // Between inizia_serie and fine_serie, sostituisci flushes each file
  // before its rename but not the folder after it; fine_serie then flushes
  // every folder the series renamed into, once, and throws ErroreFile
  // naming the folder when that fails (the series is over either way).
  // After it returns, every file of the series is on the device. Series
  // nest; only the outermost end flushes. A crash in between leaves each
  // name with its old content or its new one, whole. Hold a series with
  // Serie (below), which ends it on every way out. These defaults do
  // nothing, for a disk with no device behind it.
  // A disk may finish a replacement of the series (its flush and rename)
  // in the background, in the order given, while the caller goes on: until
  // fine_serie returns the name may still show its old content to other
  // processes, a failure is thrown by a later sostituisci of the series or
  // by fine_serie, and the replacements given after a failed one are not
  // made. A call of this disk on a path whose replacement is under way
  // (the same path string) waits for it first.
  virtual void inizia_serie();
  virtual void fine_serie();

  // Removes the file. A missing file is not an error. Throws ErroreFile.
  virtual void elimina(const std::string& percorso) = 0;

  // Takes the lock on the lock file `percorso` for as long as the returned
  // object lives, waiting up to `attesa` for another holder to let go.
  // Throws ErroreOccupato when another holder kept it for the whole wait,
  // ErroreFile when it cannot be taken for another reason (naming the
  // folder when there is no such folder). A disk that no other process
  // sees needs no lock: this default returns an empty one.
  virtual std::unique_ptr<Blocco> blocca(const std::string& percorso,
                                         std::chrono::milliseconds attesa);

  // Removes the temporary files of each of `percorsi` that an interrupted
  // replacement left (given together, so that a folder is listed once for
  // all of its paths); requires the folders' locks held. Throws ErroreFile.
  // A disk that no other process sees has none: this default does nothing.
  virtual void rimuovi_temporanei(const std::vector<std::string>& percorsi);

  // Gives the file at `da` the name `a` in the same folder, whole; `a` must
  // be free: whatever stands there is never replaced (ErroreFile, as for
  // any failure, and `da` then stays as it was). A link at `da` is moved as
  // the link it is, never followed. This default copies and removes, for a
  // disk that no other process sees.
  virtual void sposta_senza_sostituire(const std::string& da, const std::string& a);

  // Creates the folder `percorso`, and the folders above it, where missing.
  // True when it created one, false when the folder was there. Throws
  // ErroreFile when it cannot (something else stands at the name, no
  // right). A disk that holds no folders has nothing to create: this
  // default returns false.
  virtual bool crea_cartella(const std::string& percorso);

  // --- Bounded reading, for files that may come from anyone ---

  // The first bytes of a file and the size the whole file has.
  struct inizio_file {
    std::string byte;        // at most the bytes asked for
    uint64_t dimensione = 0; // the whole file's size, at least byte.size()
  };

  // Returns the first min(size, `massimo`) bytes of the regular file at
  // `percorso` and its whole size, reading and allocating no more than
  // `massimo` bytes however large the file is (dimensione > massimo tells
  // that bytes were left unread). Refuses what leggi refuses. Throws
  // ErroreFile when it cannot be read. This default reads the whole file
  // through leggi and cuts it: a disk whose files may be large overrides it.
  virtual inizio_file leggi_inizio(const std::string& percorso, size_t massimo);
};

// A series of replacements (Disco::inizia_serie) held for as long as the
// object lives. concludi() ends it, flushing the folders, and throws
// ErroreFile when that fails. An object dropped without concludi() (a
// failure on the way out) ends the series all the same: it waits for the
// replacements under way and flushes what was renamed as well as it can,
// reporting nothing: the failure already on its way is the one to report,
// and the files written before it stay on the device as they did when each
// rename was flushed on its own.
class Serie {
 public:
  explicit Serie(Disco& disco);
  ~Serie();
  Serie(const Serie&) = delete;
  Serie& operator=(const Serie&) = delete;
  void concludi();

 private:
  Disco* disco_;  // null once concluded
};

// The real file system of the machine. It creates temporary files
// exclusively under fresh random names, never following a link and never
// writing into a pipe or device that stands at a name. In a series it
// flushes and renames on one background thread, in order, so the caller
// computes the next file while the device writes the last.
class DiscoReale : public Disco {
 public:
  bool esiste(const std::string& percorso) override;
  std::string leggi(const std::string& percorso) override;
  void sostituisci(const std::string& percorso, std::string_view contenuto) override;
  void elimina(const std::string& percorso) override;
  void sostituisci_provvisorio(const std::string& percorso, std::string_view contenuto) override;
  void inizia_serie() override;
  void fine_serie() override;
  std::unique_ptr<Blocco> blocca(const std::string& percorso,
                                 std::chrono::milliseconds attesa) override;
  void rimuovi_temporanei(const std::vector<std::string>& percorsi) override;
  void sposta_senza_sostituire(const std::string& da, const std::string& a) override;
  inizio_file leggi_inizio(const std::string& percorso, size_t massimo) override;
  bool crea_cartella(const std::string& percorso) override;

 private:
  // Writes the temporary, flushes it when `scarica`, renames it over the
  // path, then flushes the folder; in a series, hands the flush and the
  // rename to the queue and leaves the folder to fine_serie.
  void sostituisci_(const std::string& percorso, std::string_view contenuto, bool scarica);

  // Waits for the replacements under way when one of them is `percorso`,
  // throwing the first failure among them.
  void attendi_per_(const std::string& percorso);

  int serie_aperte_ = 0;
  std::set<std::string> cartelle_da_scaricare_;
  // The flushes and renames of the series, in the background, and the
  // paths they replace.
  CodaSfondo coda_;
  std::set<std::string> in_corso_;
};

// Throws ErroreFile naming `percorso` when it is longer than the system's
// limit for a path.
void verifica_lunghezza(const std::string& percorso);

}  // namespace piattaforma
