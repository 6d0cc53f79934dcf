// The rules of the main window's tab strip that do not depend on widgets: which
// tab may be chosen, which keys the left-hand list shows, and the list positions
// kept in the view state.
//
//   if (!MayChooseTab(club.InfoExists(), MainTab::kMembers, ui)) return;   // refused
//   keys = club.members.Keys(KeyListFilter(view.showhiddenmembers));
//   RememberListPosition(view, MainTab::kMembers, row);
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "club/interaction.h"
#include "club/records.h"
#include "club/table.h"
#include "club/view_state.h"

namespace pellmark {

// The tabs in strip order.
enum class MainTab { kMembers = 0, kSecurities = 1, kAccounts = 2, kReports = 3, kSpecial = 4 };

inline constexpr std::string_view kChooseSpecialFirst =
    "Please choose the Special Tab to set up the club for the first time";

// The captions of the tab strip, in order.
const std::vector<std::string>& MainTabCaptions();

// Until the club information exists only "Special" may be chosen: any other tab
// beeps, shows why and returns false.
bool MayChooseTab(bool club_info_exists, MainTab tab, Interaction& ui);

// The filter of a master store's key list: active items only unless the page's
// "Show Hidden ..." box is ticked.
std::string KeyListFilter(bool show_hidden);

// True when a key list holds an active item (a key beginning "_").
bool HasActiveKey(const std::vector<std::string>& keys);

// Keeps the selected row of the list shown on `tab` (member, security or account
// list; other tabs keep nothing). Rows that do not fit in the byte are not kept.
void RememberListPosition(TViewState& view, MainTab tab, int row);

// The row to select when `tab` is shown with `count` keys, or nullopt when the
// remembered position is none (255, account list) or beyond the list.
std::optional<int> RememberedListPosition(const TViewState& view, MainTab tab, int count);

// The row of the account `actid` in a key list of the account store, or nullopt.
std::optional<int> RowOfAccount(Table<TAccountRec>& accounts, const std::vector<std::string>& keys,
                                std::int32_t actid);

}  // namespace pellmark
