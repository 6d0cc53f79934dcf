// The names that key and head the club's records: an account, a member, a
// category. A name that is empty, blank or holds a control character (a tab, a
// line break) cannot be told apart in a list, and a longer name than its field
// would be cut silently, so that two names could become one; both are refused.
//
//   NameFaultOf("Broker", 25)          -> NameFault::kNone
//   NameFaultOf(" ", 25)               -> NameFault::kMissing
//   NameFaultOf("a\nb", 25)            -> NameFault::kMissing
//   TooLongMessage("A very long…", 25) -> "Name A very long… is 31 characters long; at most 25 fit."
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pellmark {

enum class NameFault { kNone, kMissing, kTooLong };

// What keeps `name` (Windows-1252) from being stored in a field of `width` characters.
NameFault NameFaultOf(std::string_view name, std::size_t width);

// The refusal of a name longer than its field.
std::string TooLongMessage(std::string_view name, std::size_t width);

}  // namespace pellmark
