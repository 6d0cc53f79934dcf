#include "club/record_names.h"

#include <algorithm>

namespace pellmark {

NameFault NameFaultOf(std::string_view name, std::size_t width) {
  const bool blank = name.find_first_not_of(' ') == std::string_view::npos;
  const bool control = std::any_of(name.begin(), name.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
  });
  if (blank || control) return NameFault::kMissing;
  if (name.size() > width) return NameFault::kTooLong;
  return NameFault::kNone;
}

std::string TooLongMessage(std::string_view name, std::size_t width) {
  return "Name " + std::string(name) + " is " + std::to_string(name.size()) + " characters long; at most " +
         std::to_string(width) + " fit.";
}

}  // namespace pellmark
