// The figure beside each name of the Members and Securities lists: a member's
// value at the latest official unit value, a holding's value at its latest
// price; the same figures pellmark-cli's `members` and `securities` show.
//
//   const ListedValues values = MemberValues(books);
//   values.at("Smith, Ann")   -> 1124.40
#pragma once

#include <map>
#include <string>

#include "books/books.h"

namespace pellmark {

// By the name the key list shows without its hidden mark (a member's
// "Last, First" or group name, a security's name), hidden ones included.
using ListedValues = std::map<std::string, double>;

ListedValues MemberValues(Books& books);
ListedValues HoldingValues(Books& books);

}  // namespace pellmark
