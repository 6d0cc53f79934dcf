// The club's interaction port with a window's own gauge beside it: everything
// goes to the port, and progress also to `gauge` (0 puts it away).
//
//   GaugeInteraction ui(club.Ui(), [this](int percent) { ShowQuoteGauge(percent); });
//   books.FetchQuotes(service, dialog, &ui);
#pragma once

#include <functional>

#include "club/interaction.h"

namespace pellmark::ui {

class GaugeInteraction : public Interaction {
 public:
  GaugeInteraction(Interaction& port, std::function<void(int percent)> gauge)
      : port_(port), gauge_(std::move(gauge)) {}

  void ShowError(std::string_view text) override { port_.ShowError(text); }
  void ShowInformation(std::string_view text) override { port_.ShowInformation(text); }
  bool Confirm(std::string_view text, bool beep = true) override { return port_.Confirm(text, beep); }
  bool ConfirmAfterwards(std::string_view text) override { return port_.ConfirmAfterwards(text); }
  void Beep() override { port_.Beep(); }
  void PlayConfirmationSound() override { port_.PlayConfirmationSound(); }
  void SetBusy(bool busy) override { port_.SetBusy(busy); }
  void ShowProgress(std::string_view caption, int percent) override {
    gauge_(percent);
    port_.ShowProgress(caption, percent);
  }
  bool KeepResponsive() override { return port_.KeepResponsive(); }
  EntryDialogResult RunEntryDialog(const EntryDialogRequest& request) override { return port_.RunEntryDialog(request); }
  LotChooserResult RunLotChooser(const LotChooserRequest& request) override { return port_.RunLotChooser(request); }
  std::optional<std::filesystem::path> ChooseTargetDirectory(const FolderChooserRequest& request) override {
    return port_.ChooseTargetDirectory(request);
  }

 private:
  Interaction& port_;
  std::function<void(int)> gauge_;
};

}  // namespace pellmark::ui
