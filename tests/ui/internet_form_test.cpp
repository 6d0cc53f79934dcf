#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "books/http_line.h"
#include "net/http_peer.h"
#include "support/temp_folder.h"
#include "ui/qt_interaction.h"
#include "ui/quote_service_setting.h"
#include "ui/tinternet_form.h"
#include "ui/ui_test_support.h"

namespace pellmark::ui {
namespace {

using pellmark::testing::HttpPeer;

constexpr ConnectionWaits kLongWaits{std::chrono::milliseconds(60'000), std::chrono::milliseconds(60'000)};

// Runs `step` once the dialog's window is up and its event loop turns.
void WhenShown(TInternetform& dialog, std::function<void()> step) {
  QTimer::singleShot(0, &dialog, [&dialog, step] {
    if (QTest::qWaitForWindowExposed(&dialog)) step();
  });
}

class InternetFormWindow : public ::testing::Test {
 protected:
  testing::TempFolder folder;
  QtInteraction ui{nullptr};
  TClubInfoRec info;
  HttpLine line{kLongWaits};
};

TEST_F(InternetFormWindow, ConnectFetchesTheQuotesAndCloses) {
  const std::filesystem::path reply = folder.Path() / "reply.txt";
  std::ofstream(reply, std::ios::binary) << "\"IBM\",123.25,\"12/4/2026\"\r\n";
  HttpPeer server = HttpPeer::Server(folder.Path(), {"/q=body:" + reply.string()});
  InternetForm form(ui, line);
  form.PrepareForQuotes(server.Url("/q"), info);
  form.Show();
  TInternetform dialog;
  QString status_at_open;
  WhenShown(dialog, [&] {
    status_at_open = dialog.findChild<QLabel*>(QStringLiteral("status"))->text();
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("ok")), Qt::LeftButton);
  });
  dialog.Run(form);
  EXPECT_EQ(status_at_open, QStringLiteral("Press CONNECT Button to begin"));
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Internet Connection Status"));
  EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("title"))->text(), QStringLiteral("Getting Online Quotes"));
  EXPECT_EQ(form.Result(), InternetResult::kDone);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(form.Reply(), "\"IBM\",123.25,\"12/4/2026\"\r\n");
}

TEST_F(InternetFormWindow, AbortStopsAFetchThatWaitsForever) {
  HttpPeer server = HttpPeer::Server(folder.Path(), {"/q=silent"});
  InternetForm form(ui, line);
  form.PrepareForQuotes(server.Url("/q"), info);
  form.Show();
  TInternetform dialog;
  bool connect_disabled_while_waiting = false;
  WhenShown(dialog, [&] {
    QTimer::singleShot(300, &dialog, [&] {
      connect_disabled_while_waiting = !dialog.findChild<QPushButton*>(QStringLiteral("ok"))->isEnabled();
      QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("BitBtn1")), Qt::LeftButton);
    });
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("ok")), Qt::LeftButton);
  });
  dialog.Run(form);
  EXPECT_TRUE(connect_disabled_while_waiting);
  EXPECT_EQ(form.Result(), InternetResult::kAborted);
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_FALSE(dialog.isVisible());
}

TEST_F(InternetFormWindow, EscapeBeforeConnectAborts) {
  InternetForm form(ui, line);
  form.PrepareForQuotes("http://127.0.0.1:9/q", info);
  form.Show();
  TInternetform dialog;
  WhenShown(dialog, [&] { QTest::keyClick(&dialog, Qt::Key_Escape); });
  dialog.Run(form);
  EXPECT_EQ(form.Result(), InternetResult::kAborted);
  EXPECT_FALSE(dialog.isVisible());
}

TEST_F(MainWindowTest, TheQuoteServiceIsAUserSettingOfTheInternetGroup) {
  SaveQuoteServiceSetting({});
  auto window = OpenWindow();
  window->show();
  SetUpClub(*window);
  EXPECT_TRUE(Find<QLineEdit>(*window, "quotehost")->isReadOnly());
  QTest::mouseClick(Find<QWidget>(*window, "internetchange"), Qt::LeftButton);
  Type(*window, "quotehost", QStringLiteral("quotes.example.com"));
  Type(*window, "quoteurl", QStringLiteral("https://q.example.com/csv?s={symbols}"));
  QTest::mouseClick(Find<QWidget>(*window, "internetcommit"), Qt::LeftButton);
  EXPECT_EQ(QuoteServiceSetting().host, "quotes.example.com");
  EXPECT_EQ(QuoteServiceSetting().url_template, "https://q.example.com/csv?s={symbols}");

  QTest::mouseClick(Find<QWidget>(*window, "internetchange"), Qt::LeftButton);
  Type(*window, "quotehost", QStringLiteral("elsewhere.example.com"));
  QTest::mouseClick(Find<QWidget>(*window, "internetabort"), Qt::LeftButton);
  EXPECT_EQ(Find<QLineEdit>(*window, "quotehost")->text(), QStringLiteral("quotes.example.com"));
  EXPECT_EQ(QuoteServiceSetting().host, "quotes.example.com");
  SaveQuoteServiceSetting({});
}

}  // namespace
}  // namespace pellmark::ui
