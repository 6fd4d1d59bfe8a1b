// Compiled as part of the packer by the test Moduli.AnUpwardIncludeFailsToCompile,
// which passes only when this include is not found: the packer must not
// see the source writers, a module above it.
#include "sources/scrittori.h"
