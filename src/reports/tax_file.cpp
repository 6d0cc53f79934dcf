#include "reports/tax_file.h"

#include <algorithm>

#include <fmt/format.h>

#include "store/whole_files.h"

namespace pellmark::reports {
namespace {

constexpr std::size_t kSeparatorLength = kTaxSeparator.size();
constexpr std::size_t kSeparatorsAlways = 6;
constexpr std::size_t kSeparatorsWithForeign = 7;

void AppendRecord(std::string& bytes, std::string_view text) {
  const std::size_t length = std::min(text.size(), kTaxLineWidth);
  bytes += static_cast<char>(length);
  bytes.append(text.substr(0, length));
  bytes.append(kTaxLineWidth - length, '\0');
}

bool IsYear(std::string_view text) {
  return text.size() == 4 && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::string TaxFileName(std::int32_t year) { return fmt::format("club{}.tax", year); }

std::string EncodeTaxFile(const TaxFile& file) {
  std::string bytes;
  AppendRecord(bytes, (file.medium ? "+" : "") + file.year);
  const std::size_t last = file.foreign ? kSeparatorsWithForeign : kSeparatorsAlways;
  for (std::size_t section = 0; section <= last; ++section) {
    if (section > 0) AppendRecord(bytes, kTaxSeparator);
    for (const std::string& line : file.sections[section]) {
      if (line.size() == kSeparatorLength) {
        throw std::invalid_argument("a tax file line of three characters would read back as a separator: " + line);
      }
      AppendRecord(bytes, line);
    }
  }
  return bytes;
}

TaxFile DecodeTaxFile(std::string_view bytes, std::string_view name) {
  auto damaged = [&](std::string_view why) {
    return TaxFileError(fmt::format("Tax file {} is damaged: {}.", name, why));
  };
  if (bytes.empty()) throw damaged("it is empty");
  TaxFile file;
  std::size_t separators = 0;
  for (std::size_t at = 0, number = 1; at < bytes.size(); at += kTaxRecordSize, ++number) {
    if (bytes.size() - at < kTaxRecordSize) throw damaged(fmt::format("record {} is cut short", number));
    const auto length = static_cast<std::uint8_t>(bytes[at]);
    if (length > kTaxLineWidth) throw damaged(fmt::format("record {} has a length of {}", number, length));
    const std::string_view text = bytes.substr(at + 1, length);
    if (number == 1) {
      file.medium = text.starts_with('+');
      file.year = std::string(file.medium ? text.substr(1) : text);
      if (!IsYear(file.year)) throw damaged("record 1 is not the year");
      file.first_record[0] = 2;
      continue;
    }
    if (length == kSeparatorLength) {
      if (++separators > kSeparatorsWithForeign) {
        throw damaged(fmt::format("record {} is an eighth separator", number));
      }
      file.first_record[separators] = number + 1;
      continue;
    }
    file.sections[separators].emplace_back(text);
  }
  if (separators < kSeparatorsAlways) {
    throw damaged(fmt::format("it ends at record {} after {} of its six separators", bytes.size() / kTaxRecordSize,
                              separators));
  }
  file.foreign = separators == kSeparatorsWithForeign;
  return file;
}

TaxFile ReadTaxFile(store::FileLayer& files, const std::filesystem::path& file) {
  return DecodeTaxFile(store::ReadWholeFile(files, file), file.filename().string());
}

}  // namespace pellmark::reports
