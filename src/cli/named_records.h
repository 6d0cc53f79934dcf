// Records named on the command line the way a treasurer names them.
//
//   FindSecurity(books, "Acme Tools")  // by its name
//   FindSecurity(books, "acme")        // by its ticker, when no security is named so and one has it
#pragma once

#include <optional>
#include <string>

#include "books/books.h"
#include "club/records.h"

namespace pellmark::cli {

// The security of that name; else the one security whose symbol it is (in any
// case); else nothing, also when two securities share the symbol.
std::optional<TSecurityRec> FindSecurity(Books& books, const std::string& utf8_name);

}  // namespace pellmark::cli
