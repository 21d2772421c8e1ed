#pragma once

#include <cstddef>
#include <string>

// A saved password sealed for the Windows user who saved it (the system's data
// protection, with entropy of the program's own), so that neither another
// program reading the registry nor a copied profile yields it as text.
namespace ProtectedPassword {

// The sealed bytes; empty when the system could not seal them.
std::string Seal(const wchar_t* password);
// False, leaving the password empty, when the bytes cannot be opened here
// (another user or machine, damaged data) or hold more than capacity allows.
bool Open(const std::string& sealed, wchar_t* password, size_t capacity);

}  // namespace ProtectedPassword
