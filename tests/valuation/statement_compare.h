// Two statements of one date compared figure by figure, each to a millionth of
// its size, every difference named.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "valuation/statement_file.h"

namespace pellmark::testing {

inline void ExpectNear(double later, double then, const std::string& what) {
  EXPECT_NEAR(later, then, 1e-6 * std::max(1.0, std::fabs(then))) << what;
}

inline void ExpectSameStatement(const valuation::Statement& later, const valuation::Statement& then) {
  ASSERT_EQ(later.securities.size(), then.securities.size());
  for (std::size_t i = 0; i < then.securities.size(); ++i) {
    const std::string name = then.securities[i].name;
    EXPECT_EQ(later.securities[i].name, name);
    ExpectNear(later.securities[i].shares, then.securities[i].shares, name + " shares");
    ExpectNear(later.securities[i].price, then.securities[i].price, name + " price");
    ExpectNear(later.securities[i].cost_per_share, then.securities[i].cost_per_share, name + " cost");
    ExpectNear(later.securities[i].dividends, then.securities[i].dividends, name + " dividends");
  }
  ExpectNear(*later.dividends, *then.dividends, "dividends");
  ASSERT_EQ(later.accounts.size(), then.accounts.size());
  for (std::size_t i = 0; i < then.accounts.size(); ++i) {
    EXPECT_EQ(later.accounts[i].name, then.accounts[i].name);
    ExpectNear(later.accounts[i].balance, then.accounts[i].balance, then.accounts[i].name + " balance");
    ExpectNear(later.accounts[i].interest, then.accounts[i].interest, then.accounts[i].name + " interest");
  }
  ASSERT_EQ(later.members.size(), then.members.size());
  for (std::size_t i = 0; i < then.members.size(); ++i) {
    EXPECT_EQ(later.members[i].name, then.members[i].name);
    ExpectNear(later.members[i].units, then.members[i].units, then.members[i].name + " units");
    ExpectNear(later.members[i].contributions, then.members[i].contributions, then.members[i].name + " dues");
  }
  ASSERT_EQ(later.summary.has_value(), then.summary.has_value());
  if (then.summary) {
    ExpectNear(later.summary->total_value, then.summary->total_value, "total value");
    ExpectNear(later.summary->total_units, then.summary->total_units, "total units");
    ExpectNear(later.summary->new_unit_value, then.summary->new_unit_value, "unit value");
  }
}

}  // namespace pellmark::testing
