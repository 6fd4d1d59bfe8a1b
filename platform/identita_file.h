#pragma once
// Which file a path names, and what stands at a path. Two spellings of one
// file (bare, "./", absolute, through a linked folder, a hard link) have one
// identity: the device and inode on Linux, the volume serial number and
// file ID on Windows. A program compares its outputs with its inputs here
// before it writes, and names what stands at a path it will not read or
// replace. Paths are UTF-8.

#include <cstdint>
#include <optional>
#include <string>

namespace piattaforma {

// One file as the system knows it, whatever the path that led to it.
struct identita_file {
  uint64_t dispositivo = 0;  // device (Linux), volume serial number (Windows)
  uint64_t numero = 0;       // inode (Linux), file ID (Windows)
  bool operator==(const identita_file&) const = default;
};

// The identity of the file or folder at `percorso`, links followed (a link
// and its target are one file). Empty when nothing is there (or a link
// leads nowhere). Throws ErroreFile when the system cannot tell.
std::optional<identita_file> identita_di(const std::string& percorso);

// True when `a` and `b` lead to one file: when both exist, the same
// identity; when neither does, the same name in the same folder (folders
// compared by identity, names case-blind on Windows; a path whose folder
// is missing too is compared with its links and "."/".." resolved). A
// path that exists and one that does not are never one file. Throws
// ErroreFile when the system cannot tell.
bool stesso_file(const std::string& a, const std::string& b);

// What stands at a path, the last name not followed when it is a link.
enum class tipo_file { mancante, regolare, cartella, collegamento, fifo, dispositivo, altro };

// What stands at `percorso` (a link is a link, whatever it leads to).
// Throws ErroreFile when the system cannot tell (a folder on the way that
// cannot be searched, a loop of links before the last name).
tipo_file tipo_di(const std::string& percorso);

// What stands there, in words that fit after "it is ": "a folder", "a
// FIFO (named pipe)", "a device", "a symbolic link", "a socket or other
// special file", "a regular file", "missing".
std::string descrivi(tipo_file t);

// The reason a file operation refuses what stands at a path that is not a
// regular file: "it is a folder, not a regular file", or for a link "it is
// a symbolic link; links are not followed".
std::string motivo_non_regolare(tipo_file t);

}  // namespace piattaforma
