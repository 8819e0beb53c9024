// An install driver for tests: records everything the engine tells it and
// answers its copy questions from a script (Abort once the script is used
// up, as when nobody is there to answer), or through a hook that may act
// first, as a user who closes AutoCAD before choosing Retry.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "install/install_engine.h"

class RecordingDriver : public InstallDriver {
 public:
  void OnProgressBegin() override { trace.push_back("begin"); }
  void OnProgressStep() override { ++steps; }
  void OnProgressEnd() override { trace.push_back("end"); }
  CopyDecision OnCopyFailed(const FileEvent& failure, const std::string& question) override {
    questions.push_back(question);
    failures.push_back(failure);
    trace.push_back("ask " + failure.destination);
    if (onCopyFailed) return onCopyFailed(failure);
    if (answers.empty()) return CopyDecision::Abort;
    CopyDecision answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void Tell(Notice notice, const std::string& text) override {
    notices.push_back(notice);
    texts.push_back(text);
  }
  void OnFile(const FileEvent& event) override { files.push_back(event); }
  void OnValue(const ValueEvent& event) override { values.push_back(event); }
  void OnLoader(const LoaderWrite& write) override { loaders.push_back(write); }
  void OnTrustedPaths(const TrustedPathWrite& write) override { trustedPaths.push_back(write); }
  // The files in the order they were copied: a backup before its driver.
  void OnSupportFile(const SupportFileWrite& write) override {
    if (write.backup) files.push_back(*write.backup);
    files.push_back(write.file);
  }
  void OnSupportPath(const SupportPathWrite& write) override { supportPaths.push_back(write); }
  bool TakeBackUserInstall(const std::string& installDir) override {
    userInstallsFound.push_back(installDir);
    return takeBackUserInstall;
  }
  void OnUser(const UserServed& user) override { users.push_back(user); }

  std::deque<CopyDecision> answers;
  std::function<CopyDecision(const FileEvent&)> onCopyFailed;
  std::vector<std::string> trace;
  int steps = 0;
  std::vector<std::string> questions;
  std::vector<FileEvent> failures;
  std::vector<Notice> notices;
  std::vector<std::string> texts;
  std::vector<FileEvent> files;
  std::vector<ValueEvent> values;
  std::vector<LoaderWrite> loaders;
  std::vector<TrustedPathWrite> trustedPaths;
  std::vector<SupportPathWrite> supportPaths;
  bool takeBackUserInstall = true;
  std::vector<std::string> userInstallsFound;
  std::vector<UserServed> users;
};
