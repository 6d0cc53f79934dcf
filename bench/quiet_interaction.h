// The interaction of benchmarks that run a club without anyone watching: an
// error ends the bench, every question is answered Yes and everything else is
// kept quiet. Benches that answer dialogs derive from it.
#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "club/interaction.h"

namespace pellmark::bench {

class QuietInteraction : public Interaction {
 public:
  void ShowError(std::string_view text) override { throw std::runtime_error(std::string(text)); }
  void ShowInformation(std::string_view) override {}
  bool Confirm(std::string_view, bool) override { return true; }
  void Beep() override {}
  void PlayConfirmationSound() override {}
  void SetBusy(bool) override {}
  void ShowProgress(std::string_view, int) override {}
  bool KeepResponsive() override { return true; }
  EntryDialogResult RunEntryDialog(const EntryDialogRequest&) override { return {}; }
  LotChooserResult RunLotChooser(const LotChooserRequest&) override { return {}; }
  std::optional<std::filesystem::path> ChooseTargetDirectory(const FolderChooserRequest&) override {
    return std::nullopt;
  }
};

}  // namespace pellmark::bench
