#pragma once
// For tests: a small scenario built by hand, stamped as the packer stamps
// it, with every kind of feature cell, for the inspector's tests.

#include "model/modello.h"

namespace prova {

// A 1000 m route (cells 0 to 160, plan metres 0 to 8000): two stations,
// one with a Windows-1252 accented name, one with XML's special characters;
// a direction board, signals, a slowdown, indicator boards, cab codes, a
// mountain zone, profile changes, three kilometre zones, and valid stamps
// and identity codes.
scenario::modello modello_piccolo();

}  // namespace prova
