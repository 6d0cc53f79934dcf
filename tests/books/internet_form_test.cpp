#include "forms/internet_form.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "books/http_line.h"
#include "net/http_peer.h"
#include "support/scripted_interaction.h"
#include "support/temp_folder.h"

namespace pellmark {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;
using pellmark::testing::HttpPeer;
using pellmark::testing::ScriptedInteraction;
using pellmark::testing::TempFolder;

constexpr char kReply[] = "\"IBM\",123.25,\"12/4/2026\"\r\n";
constexpr ConnectionWaits kShortWaits{std::chrono::milliseconds(2000), std::chrono::milliseconds(1000)};

// The port of a window whose Abort button is pressed while the fetch waits.
class AbortingInteraction : public ScriptedInteraction {
 public:
  InternetForm* form = nullptr;
  int waits = 0;
  bool KeepResponsive() override {
    if (++waits == 3) form->Abort();
    return true;
  }
};

class InternetFormTest : public ::testing::Test {
 protected:
  std::string File(const std::string& bytes) {
    const std::filesystem::path path = folder.Path() / "reply.txt";
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }

  // Opens the dialog for quotes and records every status it shows.
  void Open(InternetForm& form, const std::string& url) {
    form.PrepareForQuotes(url, info);
    form.OnChange = [this, &form](bool progress) {
      if (!progress) statuses.push_back(form.Status());
    };
    form.Show();
  }

  TempFolder folder;
  ScriptedInteraction ui;
  HttpLine line{kShortWaits};
  TClubInfoRec info;
  std::vector<std::string> statuses;
};

TEST_F(InternetFormTest, OpensAskingForConnect) {
  InternetForm form(ui, line);
  Open(form, "http://127.0.0.1:9/q");
  EXPECT_EQ(form.Title(), "Getting Online Quotes");
  EXPECT_EQ(form.Status(), "Press CONNECT Button to begin");
  EXPECT_TRUE(form.ConnectEnabled());
  EXPECT_FALSE(form.Closed());
  EXPECT_EQ(form.Task(), InternetTask::kQuotes);
  EXPECT_EQ(form.State(), ConnectionState::kNotConnected);
  EXPECT_EQ(form.Result(), InternetResult::kOpen);
}

TEST_F(InternetFormTest, OnTheLocalNetworkConnectFetchesAtOnceAndCloses) {
  HttpPeer server = HttpPeer::Server(folder.Path(), {"/q=body:" + File(kReply)});
  for (std::int16_t contyp : {1, 0, -1}) {
    SCOPED_TRACE("contyp " + std::to_string(contyp));
    info.contyp = contyp;
    info.cnthndl = 0;  // hang up at once, were there a line to hang up
    statuses.clear();
    InternetForm form(ui, line);
    Open(form, server.Url("/q"));
    form.Connect();
    EXPECT_EQ(form.Result(), InternetResult::kDone);
    EXPECT_EQ(form.State(), ConnectionState::kConnected);
    EXPECT_TRUE(form.Closed());
    EXPECT_EQ(form.Reply(), kReply);
    // No dialling, no hang-up: straight from the request to the fetch; the
    // one chunk's progress before and after it and at the rewind shows at the close.
    EXPECT_THAT(statuses, ElementsAre("Press CONNECT Button to begin", "Trying to get quotes from the internet",
                                      "((()))"));
  }
  EXPECT_EQ(ui.BeepCount(), 0);
}

TEST_F(InternetFormTest, ProgressWrapsTheStatusAndStartsAgainPast49Characters) {
  HttpPeer server = HttpPeer::Server(folder.Path(), {"/q=big:2000000"});
  InternetForm form(ui, line);
  form.PrepareForQuotes(server.Url("/q"), info);
  std::vector<std::string> shown;
  form.OnChange = [&](bool progress) {
    if (progress) shown.push_back(form.Status());
  };
  form.Show();
  form.Connect();
  ASSERT_GT(shown.size(), 60u);
  EXPECT_EQ(shown[0], "()");
  for (std::size_t i = 1; i < shown.size(); ++i) {
    const std::string& before = shown[i - 1];
    EXPECT_EQ(shown[i], before.size() > 49 ? "()" : "(" + before + ")") << "event " << i;
    EXPECT_LE(shown[i].size(), 50u);
  }
}

TEST_F(InternetFormTest, AFailedFetchBeepsSaysSoAndOffersConnectAgain) {
  HttpPeer server = HttpPeer::Server(folder.Path(), {"/q=status:404"});
  InternetForm form(ui, line);
  Open(form, server.Url("/q"));
  form.Connect();
  EXPECT_EQ(form.Status(), "Could not get Quotes from internet");
  EXPECT_EQ(form.FailureReason(), "HTTP 404 Not Found");
  EXPECT_TRUE(form.ConnectEnabled());
  EXPECT_FALSE(form.Closed());
  EXPECT_EQ(form.Result(), InternetResult::kOpen);
  EXPECT_EQ(ui.BeepCount(), 1);
  ASSERT_EQ(server.Requests().size(), 1u) << "no GET after the HEAD's 404";

  form.Connect();
  EXPECT_EQ(server.Requests().size(), 2u);
  EXPECT_EQ(ui.BeepCount(), 2);
}

TEST_F(InternetFormTest, AServerThatNeverAnswersEndsInTheFailureStatus) {
  HttpPeer server = HttpPeer::Server(folder.Path(), {"/q=silent"});
  InternetForm form(ui, line);
  Open(form, server.Url("/q"));
  form.Connect();
  EXPECT_EQ(form.Status(), "Could not get Quotes from internet");
  EXPECT_TRUE(form.ConnectEnabled());
}

TEST_F(InternetFormTest, AbortWhileTheFetchWaitsClosesWithResult7) {
  HttpPeer server = HttpPeer::Server(folder.Path(), {"/q=silent"});
  AbortingInteraction aborting;
  HttpLine patient({std::chrono::milliseconds(60'000), std::chrono::milliseconds(60'000)});
  InternetForm form(aborting, patient);
  aborting.form = &form;
  Open(form, server.Url("/q"));
  form.Connect();
  EXPECT_EQ(form.Result(), InternetResult::kAborted);
  EXPECT_EQ(form.State(), ConnectionState::kAborted);
  EXPECT_TRUE(form.Closed());
  EXPECT_TRUE(form.Reply().empty());
  EXPECT_EQ(aborting.BeepCount(), 0);
  EXPECT_THAT(statuses, Not(Contains("Could not get Quotes from internet")));
  EXPECT_EQ(aborting.waits, 3);
}

TEST_F(InternetFormTest, TheClubSettingsChooseProxyCacheAndAuthentication) {
  HttpPeer server = HttpPeer::Server(folder.Path(), {"/q=body:" + File(kReply)});
  HttpPeer proxy = HttpPeer::Proxy(folder.Path());
  info.proxy = proxy.HostPort();
  info.user = "club";
  info.passwd = "secret";

  info.usepxy = info.pxycsh = info.usepas = false;
  InternetForm direct(ui, line);
  Open(direct, server.Url("/q"));
  direct.Connect();
  ASSERT_EQ(direct.Result(), InternetResult::kDone);
  EXPECT_TRUE(proxy.Requests().empty());
  EXPECT_EQ(server.Requests().back(), "GET /q HTTP/1.0\r\nHost: " + server.HostPort() + "\r\n\r\n");

  info.usepxy = info.pxycsh = info.usepas = true;
  InternetForm proxied(ui, line);
  Open(proxied, server.Url("/q"));
  proxied.Connect();
  ASSERT_EQ(proxied.Result(), InternetResult::kDone);
  ASSERT_EQ(proxy.Requests().size(), 2u);
  EXPECT_EQ(proxy.Requests().back(), "GET " + server.Url("/q") + " HTTP/1.0\r\nHost: " + server.HostPort() +
                                         "\r\nPragma: no-cache\r\nAuthorization: Basic Y2x1YjpzZWNyZXQ=\r\n\r\n");
}

}  // namespace
}  // namespace pellmark
