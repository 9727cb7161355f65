// A dialog service for tests: records every message box and dialog and answers them from a script,
// without a person and without blocking. Installed for the lifetime of a ScopedDialogs.
#pragma once

#include <QEventLoop>
#include <QTimer>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "framework/dialogs.h"

namespace test_support {

class ScriptedDialogs final : public DialogService {
 public:
  struct Message {
    AnsiString text;
    AnsiString caption;
    UINT flags;
  };
  std::vector<Message> messages;
  std::deque<int> messageAnswers;  // IDOK when empty
  int messageMs = 0;  // how long each message box runs the message loop before it answers, as a person would
  std::vector<OpenDialogRequest> openRequests;
  std::deque<std::optional<std::vector<AnsiString>>> openAnswers;  // cancelled when empty
  std::vector<AnsiString> directoryStarts;
  std::vector<AnsiString> directoryCaptions;
  std::deque<std::optional<AnsiString>> directoryAnswers;  // cancelled when empty

  int MessageBox(const AnsiString& text, const AnsiString& caption, UINT flags) override {
    messages.push_back({text, caption, flags});
    if (messageMs > 0) {
      QEventLoop loop;
      QTimer::singleShot(messageMs, &loop, &QEventLoop::quit);
      loop.exec();
    }
    if (messageAnswers.empty()) return IDOK;
    const int answer = messageAnswers.front();
    messageAnswers.pop_front();
    return answer;
  }
  bool OpenFiles(const OpenDialogRequest& request, std::vector<AnsiString>& files) override {
    openRequests.push_back(request);
    if (openAnswers.empty() || !openAnswers.front()) {
      if (!openAnswers.empty()) openAnswers.pop_front();
      return false;
    }
    files = *openAnswers.front();
    openAnswers.pop_front();
    return true;
  }
  bool SelectDirectory(const AnsiString& caption, const AnsiString&, AnsiString& directory) override {
    directoryCaptions.push_back(caption);
    directoryStarts.push_back(directory);
    if (directoryAnswers.empty() || !directoryAnswers.front()) {
      if (!directoryAnswers.empty()) directoryAnswers.pop_front();
      return false;
    }
    directory = *directoryAnswers.front();
    directoryAnswers.pop_front();
    return true;
  }
};

class ScopedDialogs {
 public:
  ScopedDialogs() {
    auto service = std::make_unique<ScriptedDialogs>();
    dialogs_ = service.get();
    previous_ = SetDialogService(std::move(service));
  }
  ~ScopedDialogs() { SetDialogService(std::move(previous_)); }
  ScopedDialogs(const ScopedDialogs&) = delete;
  ScopedDialogs& operator=(const ScopedDialogs&) = delete;

  ScriptedDialogs& operator*() const { return *dialogs_; }
  ScriptedDialogs* operator->() const { return dialogs_; }

 private:
  ScriptedDialogs* dialogs_;
  std::unique_ptr<DialogService> previous_;
};

}  // namespace test_support
