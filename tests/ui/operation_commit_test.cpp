// The window commits a user operation when the main loop falls idle, never
// while a dialog of the operation runs its own loop.
#include <QEventLoop>
#include <QTimer>
#include <memory>

#include "club/records.h"
#include "ui_test_support.h"

namespace pellmark::ui {
namespace {

TEST_F(MainWindowTest, AnOperationIsCommittedWhenTheMainLoopFallsIdleAndNotInItsDialogs) {
  std::unique_ptr<TPellmark> window = OpenWindow();
  SetUpClub(*window);
  store::TQDB& members = window->TheBooks().Club().members.UnderlyingStore();
  ASSERT_FALSE(members.ChangedSinceCommit());

  bool changed_inside_dialog = false;
  QEventLoop main_loop;
  QTimer::singleShot(0, [&] {
    TMemberRec member;
    member.lname = "Smith";
    member.fname = "Ann";
    member.active = true;
    window->TheBooks().Club().members.Put(member);
    // A dialog of the operation: its loop falls idle with the operation half done.
    QEventLoop dialog;
    QTimer::singleShot(30, &dialog, &QEventLoop::quit);
    dialog.exec();
    changed_inside_dialog = members.ChangedSinceCommit();
    QTimer::singleShot(30, &main_loop, &QEventLoop::quit);
  });
  main_loop.exec();
  EXPECT_TRUE(changed_inside_dialog);
  EXPECT_FALSE(members.ChangedSinceCommit());
}

}  // namespace
}  // namespace pellmark::ui
