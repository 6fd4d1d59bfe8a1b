#include "platform/segnali.h"

#ifndef _WIN32
#include <csignal>
#endif

namespace piattaforma {

void scrittura_oltre_limite_come_errore() {
#ifndef _WIN32
  std::signal(SIGXFSZ, SIG_IGN);
#endif
}

}  // namespace piattaforma
