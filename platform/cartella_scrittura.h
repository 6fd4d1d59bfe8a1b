#pragma once
// One folder, one writer at a time: every program that writes files into a
// folder (the builder, the authors' packer, the drawing of the inspector)
// holds the folder's lock for the whole of its writing, so that the files a
// run leaves there always come whole from that one run, and clears the
// temporary files that a killed run left of its names under that lock,
// when no live program can be writing them.

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/disco.h"

namespace piattaforma {

// The lock file, an empty file that stays in the folder, and how long a
// second program waits for the first to end.
inline constexpr const char* nome_blocco = "crea_scenario.lock";
inline constexpr std::chrono::seconds attesa_blocco{60};

// The one line a program that has to wait for the folder says, without
// its line end: "PROGRAM: another program is writing into FOLDER; waiting
// for it to end".
std::string testo_attesa(std::string_view programma, const std::string& cartella);

// Checks that `percorsi` (the files the run will write in `cartella`) and
// their temporaries stay within the system's limit for a path, takes the
// folder's lock, and removes the temporaries a killed run left of each of
// `percorsi`. When another program holds the lock, calls `in_attesa` once
// (to say so, with testo_attesa) and waits up to attesa_blocco. The lock
// is held while the returned object lives: a program takes it before it
// writes, or checks what stands at its names, and holds it until its last
// file is written. Throws ErroreFile (ErroreOccupato when the wait ran
// out); nothing has been written or removed then.
std::unique_ptr<Disco::Blocco> prendi_cartella(Disco& disco, const std::string& cartella,
                                               const std::vector<std::string>& percorsi,
                                               const std::function<void()>& in_attesa = {});

}  // namespace piattaforma
