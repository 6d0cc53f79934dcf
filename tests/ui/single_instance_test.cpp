#include "ui/single_instance.h"

#include <QSignalSpy>
#include <QUuid>
#include <gtest/gtest.h>

namespace pellmark::ui {
namespace {

TEST(SingleInstance, ASecondStartAsksTheFirstToComeForward) {
  const QString name = QStringLiteral("pellmark-test-") + QUuid::createUuid().toString(QUuid::Id128);
  SingleInstance first(name);
  QSignalSpy activations(&first, &SingleInstance::activationRequested);
  ASSERT_TRUE(first.Claim());

  SingleInstance second(name);
  EXPECT_FALSE(second.Claim());
  EXPECT_TRUE(activations.wait(5000));
  EXPECT_EQ(activations.count(), 1);
}

TEST(SingleInstance, TheFirstStartClaimsEvenOverALeftoverSocket) {
  const QString name = QStringLiteral("pellmark-test-") + QUuid::createUuid().toString(QUuid::Id128);
  {
    SingleInstance ended(name);
    ASSERT_TRUE(ended.Claim());
  }
  SingleInstance next(name);
  EXPECT_TRUE(next.Claim());
}

}  // namespace
}  // namespace pellmark::ui
