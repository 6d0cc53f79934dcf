// Texts in records and files are single-byte Windows-1252; the desktop program and
// the command line speak UTF-8. These two functions are the only crossing.
//
//   ToWindows1252("Café")  -> "Caf\xE9"
//   ToUtf8("Caf\xE9")      -> "Café"
//   ToWindows1252("€ ☺")    -> "\x80 ?"   (no single-byte form becomes "?")
#pragma once

#include <string>
#include <string_view>

namespace pellmark {

// Windows-1252 bytes to UTF-8. The five bytes Windows-1252 leaves undefined
// (81, 8D, 8F, 90, 9D) map to the C1 controls of the same number, so every byte
// string survives a round trip.
std::string ToUtf8(std::string_view windows1252);

// UTF-8 to Windows-1252. A character without a single-byte form, and any byte
// sequence that is not valid UTF-8, becomes "?".
std::string ToWindows1252(std::string_view utf8);

// The characters of `utf8` that have no single-byte form, each once, in order
// and separated by blanks (an invalid byte sequence shows as U+FFFD); empty when
// the whole text can be stored. A boundary refuses a name or description that
// has any, naming them, rather than storing "?" where two names could collide.
//   UnstorableCharacters("银行 Café") -> "银 行"
std::string UnstorableCharacters(std::string_view utf8);

}  // namespace pellmark
