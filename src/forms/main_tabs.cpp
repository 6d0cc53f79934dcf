#include "forms/main_tabs.h"

#include "club/keys.h"
#include "club/records.h"

namespace pellmark {

const std::vector<std::string>& MainTabCaptions() {
  static const std::vector<std::string> kCaptions = {"Members", "Securities", "Accounts", "Reports", "Special"};
  return kCaptions;
}

bool MayChooseTab(bool club_info_exists, MainTab tab, Interaction& ui) {
  if (club_info_exists || tab == MainTab::kSpecial) return true;
  ui.Beep();
  ui.ShowInformation(kChooseSpecialFirst);
  return false;
}

std::string KeyListFilter(bool show_hidden) { return show_hidden ? std::string() : std::string(kActiveFilter); }

bool HasActiveKey(const std::vector<std::string>& keys) {
  for (const std::string& key : keys) {
    if (!key.empty() && key.front() == '_') return true;
  }
  return false;
}

namespace {

// The view state's byte for the list of `tab`, const or not as `view` is.
template <class View>
auto PositionOf(View& view, MainTab tab) -> decltype(&view.memberposition) {
  switch (tab) {
    case MainTab::kMembers:
      return &view.memberposition;
    case MainTab::kSecurities:
      return &view.securityposition;
    case MainTab::kAccounts:
      return &view.accountposition;
    default:
      return nullptr;
  }
}

}  // namespace

void RememberListPosition(TViewState& view, MainTab tab, int row) {
  std::uint8_t* position = PositionOf(view, tab);
  if (position == nullptr || row < 0 || row > 255) return;
  *position = static_cast<std::uint8_t>(row);
}

std::optional<int> RememberedListPosition(const TViewState& view, MainTab tab, int count) {
  const std::uint8_t* position = PositionOf(view, tab);
  if (position == nullptr) return std::nullopt;
  if (tab == MainTab::kAccounts && *position == TViewState::kNoPosition) return std::nullopt;
  if (*position >= count) return std::nullopt;
  return *position;
}

std::optional<int> RowOfAccount(Table<TAccountRec>& accounts, const std::vector<std::string>& keys,
                                std::int32_t actid) {
  for (std::size_t row = 0; row < keys.size(); ++row) {
    auto account = accounts.Find(keys[row]);
    if (account && account->actid == actid) return static_cast<int>(row);
  }
  return std::nullopt;
}

}  // namespace pellmark
