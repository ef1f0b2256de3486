// Helpers for the application's tests on the headless screen: a private
// settings folder and a probe that runs code inside whatever modal loop
// (dialog, message box) is pumping messages; the watchdog is the kit's.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/support/watchdog.h"

// The headless screen for the life of a fixture. Starting a screen resets the
// window system, so it must come before any member that creates a window (the
// main window's player makes its hidden window when it is constructed):
// declare it first.
class HeadlessScreenScope {
 public:
  HeadlessScreenScope(int columns, int rows);
  ~HeadlessScreenScope();
};

// A fresh folder for the settings file, made the XDG config folder for the
// life of the object, with the audio sink set to `audio` (WENDREL_AUDIO).
class TestEnvironment {
 public:
  explicit TestEnvironment(const std::string &audio = "null");
  ~TestEnvironment();
  std::string SettingsPath() const;
  std::string Path(const std::string &name) const;

 private:
  std::string folder;
};

// Runs `action` when a message loop next dispatches posted messages: from a
// test that calls something modal directly, that loop is the modal one.
void RunInModalLoop(std::function<void()> action);

// The screen's rows joined by newlines, for EXPECT_THAT with HasSubstr.
std::wstring ScreenText();

// Keys as a user types them.
void TypeKey(unsigned vk);
