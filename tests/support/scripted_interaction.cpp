#include "support/scripted_interaction.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace pellmark::testing {

void ScriptedInteraction::AnswerNext(std::string question, bool yes) {
  answers_.push_back({std::move(question), yes});
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

}  // namespace pellmark::testing
