// A record as a JSON object with the field names of its layout, texts in UTF-8.
#pragma once

#include <nlohmann/json.hpp>
#include <type_traits>
#include <variant>

#include "club/record_layout.h"
#include "club/text_encoding.h"

namespace pellmark::cli {

template <class Record>
nlohmann::ordered_json RecordToJson(const Record& record) {
  nlohmann::ordered_json object = nlohmann::ordered_json::object();
  for (const auto& field : Record::Layout()) {
    std::visit(
        [&](auto member) {
          using Value = std::remove_cvref_t<decltype(record.*member)>;
          if constexpr (std::is_same_v<Value, std::string>) {
            object[field.name] = ToUtf8(record.*member);
          } else if constexpr (std::is_same_v<Value, char>) {
            object[field.name] = ToUtf8(std::string(1, record.*member));
          } else if constexpr (std::is_same_v<Value, std::uint8_t>) {
            object[field.name] = static_cast<int>(record.*member);
          } else {
            object[field.name] = record.*member;
          }
        },
        field.member);
  }
  return object;
}

}  // namespace pellmark::cli
