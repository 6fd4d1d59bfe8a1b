#pragma once
// How a program that writes files meets the system's signals.

namespace piattaforma {

// Makes a write past the file-size limit (RLIMIT_FSIZE) fail with EFBIG,
// which the disk reports as that file's write error (the temporary
// removed, the old file whole), instead of ending the process by SIGXFSZ
// with no message. Every program that writes calls it first. Nothing to do
// on Windows.
void scrittura_oltre_limite_come_errore();

}  // namespace piattaforma
