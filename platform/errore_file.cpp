#include "platform/errore_file.h"

#include <utility>

namespace piattaforma {

ErroreFile::ErroreFile(std::string percorso, std::string operazione, std::string motivo)
    : std::runtime_error("cannot " + operazione + " \"" + percorso + "\": " + motivo),
      percorso_(std::move(percorso)),
      operazione_(std::move(operazione)),
      motivo_(std::move(motivo)) {}

}  // namespace piattaforma
