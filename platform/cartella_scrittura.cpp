#include "platform/cartella_scrittura.h"

#include "platform/cartella_programma.h"
#include "platform/errore_file.h"

namespace piattaforma {

std::string testo_attesa(std::string_view programma, const std::string& cartella) {
  return std::string(programma) + ": another program is writing into " + cartella +
         "; waiting for it to end";
}

std::unique_ptr<Disco::Blocco> prendi_cartella(Disco& disco, const std::string& cartella,
                                               const std::vector<std::string>& percorsi,
                                               const std::function<void()>& in_attesa) {
  const std::string blocco = unisci_percorso(cartella, nome_blocco);
  verifica_lunghezza(blocco);
  // The longest path of each file is that of its temporary.
  for (const std::string& p : percorsi)
    verifica_lunghezza(p + std::string(lunghezza_suffisso_temporaneo, '0'));
  std::unique_ptr<Disco::Blocco> preso;
  try {
    preso = disco.blocca(blocco, std::chrono::milliseconds(0));
  } catch (const ErroreOccupato&) {
    if (in_attesa) in_attesa();
    preso = disco.blocca(blocco, attesa_blocco);
  }
  disco.rimuovi_temporanei(percorsi);
  return preso;
}

}  // namespace piattaforma
