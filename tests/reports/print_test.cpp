#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "reports/page_printer.h"
#include "reports/printer_fixture.h"

namespace pellmark::reports::testing {
namespace {

using ::testing::ElementsAre;

// A printer that writes down what it was asked to do; a page is known by the
// text drawn on it.
class RecordingJob : public PrintJob {
 public:
  int CopyCount() const override { return copies; }
  void SetCopyCount(int count) override { copies = count; }
  void BeginDocument(const std::string& title) override {
    log.push_back("begin " + title);
    printing = true;
  }
  void PrintPage(const PageList&, const RecordedPage& page) override {
    log.push_back(std::get<TextOp>(page.ops.at(0)).text);
  }
  void NewPhysicalPage() override { log.push_back("/"); }
  void EndDocument() override {
    log.push_back("end");
    printing = false;
  }
  void AbortDocument() override {
    log.push_back("abort");
    printing = false;
  }
  bool Printing() const override { return printing; }

  int copies = 4;
  bool printing = false;
  std::vector<std::string> log;
};

class RecordingProgress : public PrintProgress {
 public:
  explicit RecordingProgress(TPagePrinter& printer) : printer_(printer) {}
  void Show(bool show_cancel) override { shown.push_back(show_cancel); }
  void Update(const PrintProgressState& state) override { states.push_back(state); }
  void PumpMessages() override {
    if (++pumps == cancel_at) printer_.RequestCancel();
  }
  void Close() override { ++closed; }

  TPagePrinter& printer_;
  int cancel_at = 0;
  int pumps = 0;
  int closed = 0;
  std::vector<bool> shown;
  std::vector<PrintProgressState> states;
};

class PrintTest : public PrinterTest {
 protected:
  void ThreePages() {
    printer_.BeginDoc();
    printer_.WriteLine("p1");
    printer_.NewPage();
    printer_.WriteLine("p2");
    printer_.NewPage();
    printer_.WriteLine("p3");
    printer_.EndDoc();
  }
  RecordingJob job_;
  RecordingProgress progress_{printer_};
};

TEST_F(PrintTest, CollatedCopiesPrintWholeSets) {
  ThreePages();
  printer_.SetCopies(2);
  EXPECT_TRUE(printer_.Print(job_, &progress_));
  EXPECT_THAT(job_.log, ElementsAre("begin <Unknown>", "p1", "/", "p2", "/", "p3", "/", "p1", "/", "p2", "/", "p3", "end"));
  EXPECT_EQ(job_.copies, 4);  // the printer's own count comes back
  ASSERT_EQ(progress_.states.size(), 6u);
  EXPECT_EQ(progress_.states[1].page_label, "Page 2 of 3 x 2 Copies");
  EXPECT_EQ(progress_.states[1].status, "Sending Pages To Printer");
  EXPECT_EQ(progress_.states[1].caption, "<Unknown>");
  EXPECT_EQ(progress_.states[5].position, 6);
  EXPECT_EQ(progress_.states[5].maximum, 6);
  EXPECT_THAT(progress_.shown, ElementsAre(true));
  EXPECT_EQ(progress_.closed, 1);
}

TEST_F(PrintTest, UncollatedCopiesRepeatEachPageOfTheRange) {
  ThreePages();
  printer_.SetCopies(0);
  EXPECT_EQ(printer_.Copies(), 1);
  printer_.SetCopies(2);
  printer_.SetCollate(false);
  printer_.SetPrintToPage(2);
  printer_.SetPrintFromPage(3);
  EXPECT_EQ(printer_.PrintToPage(), 3);  // from ≤ to
  printer_.SetPrintFromPage(2);
  printer_.SetProgressMessage("Statements");
  EXPECT_TRUE(printer_.Print(job_, &progress_));
  EXPECT_THAT(job_.log, ElementsAre("begin <Unknown>", "p2", "/", "p2", "/", "p3", "/", "p3", "end"));
  EXPECT_EQ(progress_.states[0].page_label, "Page 2 x 2 Copies");
  EXPECT_EQ(progress_.states[0].status, "Statements");
}

TEST_F(PrintTest, CancellingStopsBeforeTheNextPageAndEndsTheJob) {
  ThreePages();
  printer_.SetCopies(2);
  progress_.cancel_at = 3;
  EXPECT_FALSE(printer_.Print(job_, &progress_));
  EXPECT_THAT(job_.log, ElementsAre("begin <Unknown>", "p1", "/", "p2", "/", "end"));
  EXPECT_EQ(progress_.closed, 1);
  EXPECT_EQ(job_.copies, 4);

  job_.log.clear();
  progress_.pumps = 0;
  printer_.SetAbortOnCancel(true);
  EXPECT_FALSE(printer_.Print(job_, &progress_));
  EXPECT_THAT(job_.log, ElementsAre("begin <Unknown>", "p1", "/", "p2", "/", "abort"));
}

TEST_F(PrintTest, WithoutCancelNoMessagesArePumpedAndWithoutPagesNothingPrints) {
  printer_.SetShowCancel(false);
  EXPECT_TRUE(printer_.Print(job_, &progress_));
  EXPECT_TRUE(job_.log.empty());
  ThreePages();
  progress_.cancel_at = 1;
  EXPECT_TRUE(printer_.Print(job_, &progress_));
  EXPECT_EQ(progress_.pumps, 0);
  EXPECT_THAT(progress_.shown, ElementsAre(false));
}

TEST_F(PrintTest, AnUnfinishedDocumentIsFinishedFirst) {
  printer_.BeginDoc();
  printer_.WriteLine("p1");
  EXPECT_TRUE(printer_.Print(job_, nullptr));
  EXPECT_FALSE(printer_.Building());
  EXPECT_THAT(job_.log, ElementsAre("begin <Unknown>", "p1", "end"));
}

TEST_F(PrintTest, ZoomFitsTheSheetToTheWindow) {
  PreviewViewport viewport{800, 600, 16, 16, 96, 96};
  printer_.ZoomToWidth(viewport);
  EXPECT_EQ(printer_.ZoomPercent(), 95);  // 100 × (800 − 16 − 12) × 300/96 ÷ 2550
  EXPECT_EQ(printer_.SheetWidth(96), 775);
  printer_.ZoomToHeight(viewport);
  EXPECT_EQ(printer_.ZoomPercent(), 54);  // 100 × (600 − 16 − 12) × 300/96 ÷ 3300
  printer_.SetZoomPercent(100);
  printer_.ZoomToPage(viewport);  // the sheet is taller than the window
  EXPECT_EQ(printer_.ZoomPercent(), 54);
}

}  // namespace
}  // namespace pellmark::reports::testing
