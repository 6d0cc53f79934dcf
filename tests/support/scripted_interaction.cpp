#include "support/scripted_interaction.h"

#include <algorithm>
#include <gtest/gtest.h>

#include "forms/lot_chooser.h"

namespace pellmark::testing {

void ScriptedInteraction::AnswerNext(std::string question, bool yes) {
  answers_.push_back({std::move(question), yes});
}

void ScriptedInteraction::AnswerEvery(std::string start, bool yes) {
  standing_answers_.push_back({std::move(start), yes});
}

void ScriptedInteraction::ShowError(std::string_view text) {
  events_.push_back({Kind::Beep, {}});
  events_.push_back({Kind::Error, std::string(text)});
}

void ScriptedInteraction::ShowInformation(std::string_view text) {
  events_.push_back({Kind::Information, std::string(text)});
}

bool ScriptedInteraction::Confirm(std::string_view text, bool beep) {
  if (beep) events_.push_back({Kind::Beep, {}});
  events_.push_back({Kind::Question, std::string(text)});
  if (answers_.empty() || answers_.front().question != text) {
    for (const ScriptedAnswer& standing : standing_answers_) {
      if (text.starts_with(standing.question)) return standing.yes;
    }
  }
  if (answers_.empty()) {
    ADD_FAILURE() << "unexpected question: " << text;
    return false;
  }
  ScriptedAnswer next = answers_.front();
  answers_.pop_front();
  if (next.question != text) {
    ADD_FAILURE() << "expected the question \"" << next.question << "\" but was asked \"" << text << "\"";
    return false;
  }
  return next.yes;
}

void ScriptedInteraction::Beep() { events_.push_back({Kind::Beep, {}}); }

void ScriptedInteraction::PlayConfirmationSound() { events_.push_back({Kind::Sound, {}}); }

std::vector<std::string> ScriptedInteraction::Messages() const {
  std::vector<std::string> texts;
  for (const Event& event : events_) {
    if (event.kind == Kind::Error || event.kind == Kind::Information || event.kind == Kind::Question) {
      texts.push_back(event.text);
    }
  }
  return texts;
}

int ScriptedInteraction::SoundCount() const {
  return static_cast<int>(std::count_if(events_.begin(), events_.end(),
                                        [](const Event& e) { return e.kind == Kind::Sound; }));
}

int ScriptedInteraction::BeepCount() const {
  return static_cast<int>(std::count_if(events_.begin(), events_.end(),
                                        [](const Event& e) { return e.kind == Kind::Beep; }));
}

void ScriptedInteraction::AnswerEntryDialog(EntryScript type, DialogOutcome press) {
  entry_answers_.push_back({std::move(type), press});
}

void ScriptedInteraction::AnswerLotChooser(std::vector<int> rows, bool ok) {
  lot_answers_.push_back({std::move(rows), ok});
}

void ScriptedInteraction::AnswerFolderChooser(std::optional<std::filesystem::path> folder) {
  folder_answers_.push_back(std::move(folder));
}

EntryDialogResult ScriptedInteraction::RunEntryDialog(const EntryDialogRequest& request) {
  entry_requests_.push_back(request);
  EntryDialog dialog(request);
  if (entry_answers_.empty()) {
    ADD_FAILURE() << "unexpected entry dialog: " << dialog.Form().title;
    return dialog.Cancelled();
  }
  EntryAnswer answer = std::move(entry_answers_.front());
  entry_answers_.pop_front();
  answer.type(dialog);
  if (answer.press == DialogOutcome::Aborted) return dialog.Aborted();
  if (answer.press == DialogOutcome::Cancelled) return dialog.Cancelled();
  OkOutcome ok = dialog.PressOk();
  if (ok.kind == OkOutcome::Kind::Accepted) return ok.result;
  for (const std::string& message : ok.messages) ShowError(message);
  return dialog.Cancelled();
}

LotChooserResult ScriptedInteraction::RunLotChooser(const LotChooserRequest& request) {
  lot_requests_.push_back(request);
  securities::LotChooser chooser(request);
  if (lot_answers_.empty()) {
    ADD_FAILURE() << "unexpected lot chooser: " << chooser.Title();
    return {};
  }
  LotAnswer answer = std::move(lot_answers_.front());
  lot_answers_.pop_front();
  for (int row : answer.rows) chooser.stockfilterClick(row);
  if (!answer.ok) return {};
  securities::LotChoiceOutcome ok = chooser.PressOk();
  if (!ok.accepted) {
    ShowError(ok.message);
    return {};
  }
  return chooser.Result();
}

std::optional<std::filesystem::path> ScriptedInteraction::ChooseTargetDirectory(const FolderChooserRequest& request) {
  folder_requests_.push_back(request);
  if (folder_answers_.empty()) {
    ADD_FAILURE() << "unexpected folder chooser";
    return std::nullopt;
  }
  std::optional<std::filesystem::path> folder = std::move(folder_answers_.front());
  folder_answers_.pop_front();
  return folder;
}

}  // namespace pellmark::testing
