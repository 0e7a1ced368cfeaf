#pragma once
// Controls that record what they are told, shared by the object-model tests.
#include <string>
#include <vector>

#include "document/MediaParam.h"

// Writes "<name>:<value>" on a change and "<name>:destroyed" when its parameter goes.
class LoggingControl : public MediaControlT<MediaParamTB<int>> {
 public:
  LoggingControl(std::string name, std::vector<std::string>& log) : name_(std::move(name)), log_(log) {}
  void OnParamChanged(MediaControl*) override {
    log_.push_back(name_ + ":" + (param_ ? std::to_string(param_->Value()) : "none"));
  }
  void OnParamDestroyed() override {
    log_.push_back(name_ + ":destroyed");
    MediaControlT::OnParamDestroyed();
  }

 private:
  std::string name_;
  std::vector<std::string>& log_;
};

// Counts changes of whatever parameter it is appended to and keeps the last source.
struct CountingControl : MediaControl {
  int told = 0;
  MediaControl* lastSource = nullptr;
  void OnParamChanged(MediaControl* source) override {
    ++told;
    lastSource = source;
  }
};
