// Reads just enough of an ELF shared library to tell what it exports, so
// qelpack verify can check a POSIX package's library as it does a DLL's.
#ifndef QEL_ELF_IMAGE_H
#define QEL_ELF_IMAGE_H

#include <string>
#include <vector>

// True when `bytes` begin with the ELF magic.
bool looksLikeElfImage(const std::vector<unsigned char>& bytes);

// The names of the defined functions and objects in the dynamic symbol
// table; empty when there is none or the headers are malformed.
std::vector<std::string> elfExportedNames(const std::vector<unsigned char>& bytes);

#endif
