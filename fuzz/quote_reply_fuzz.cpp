// Feeds arbitrary bytes to the matcher of the quote service's reply, as a broken
// or hostile service would send them. Nothing may crash; only listed securities
// that take quotes get prices, each at most once, each above 0 on a date the
// books can hold.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string_view>

#include "club/interaction.h"
#include "net/quote_reply.h"
#include "net/quote_request.h"

namespace {

using pellmark::net::ListedSecurity;

class SilentInteraction : public pellmark::Interaction {
 public:
  void ShowError(std::string_view) override {}
  void ShowInformation(std::string_view) override {}
  bool Confirm(std::string_view, bool) override { return false; }
  void Beep() override {}
  void PlayConfirmationSound() override {}
  void SetBusy(bool) override {}
  void ShowProgress(std::string_view, int percent) override {
    if (percent < 0 || percent > 100) std::abort();
  }
  bool KeepResponsive() override { return true; }
  pellmark::EntryDialogResult RunEntryDialog(const pellmark::EntryDialogRequest&) override { std::abort(); }
  pellmark::LotChooserResult RunLotChooser(const pellmark::LotChooserRequest&) override { std::abort(); }
  std::optional<std::filesystem::path> ChooseTargetDirectory(const pellmark::FolderChooserRequest&) override {
    std::abort();
  }
};

class CheckingBook : public pellmark::net::QuoteBook {
 public:
  explicit CheckingBook(std::vector<ListedSecurity> listed) : listed_(std::move(listed)) {}
  std::vector<ListedSecurity> ListedSecurities() override { return listed_; }
  void EnterPrice(const ListedSecurity& security, pellmark::DayNumber date, double price) override {
    if (!pellmark::net::TakesQuotes(security) || !priced_.insert(security.name).second) std::abort();
    if (!std::isfinite(price) || price <= 0) std::abort();
    const pellmark::CivilDate civil = pellmark::CivilFromDayNumber(date);
    if (civil.year < pellmark::kEarliestYear || civil.year > pellmark::kLatestYear) std::abort();
  }
  std::size_t Priced() const { return priced_.size(); }

 private:
  std::vector<ListedSecurity> listed_;
  std::set<std::string> priced_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  const std::vector<ListedSecurity> listed = {{"Apple", "AAPL"}, {"Agilent", "A"},     {"New", "Symbol"},
                                              {"Intl", "ibm"},   {"Blank", " "},       {"Soft", "MSFT"},
                                              {"Euro", "\xc9T"}, {"Berkshire", "BRK.B"}};
  CheckingBook book(listed);
  SilentInteraction ui;
  const pellmark::net::MatchReport report = pellmark::net::MatchQuotes(listed, body, book, ui);
  if (report.entered < 0 || static_cast<std::size_t>(report.entered) != book.Priced()) std::abort();
  return 0;
}
