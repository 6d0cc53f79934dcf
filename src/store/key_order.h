// The order of keys in a record store. Keys are Windows-1252 byte strings; a store
// compares them without regard to letter case unless it holds the administrative
// item "QDBCaseSensitive": both keys are mapped to upper case (ASCII and the
// accented letters of the code page) and then compared byte by byte.
//
//   CompareKeys("_smith", "_SMITH", false) == 0
//   CompareKeys("_Zed", "~Abe", false) < 0     (active "_" items sort before hidden "~")
#pragma once

#include <string_view>

namespace pellmark::store {

// Upper case of one Windows-1252 byte: a..z, š ž œ ÿ and à..þ except ÷.
unsigned char UpperWindows1252(unsigned char c);

// Negative, zero or positive as `a` sorts before, with or after `b`.
int CompareKeys(std::string_view a, std::string_view b, bool case_sensitive);

}  // namespace pellmark::store
