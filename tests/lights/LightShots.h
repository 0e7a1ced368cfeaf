#pragma once
// Saves the back buffer of a drawing test as a PNG when the environment variable names a
// folder, so that a person can look at what the light drew: <folder>/<test>_<n>.png.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/support/TestDevice.h"

inline void SaveShotIfAsked(TestDevice& device, const char* variable, int& count) {
  const char* folder = std::getenv(variable);
  if (!folder) return;
  const std::string name = std::string(folder) + "/" +
                           testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
                           std::to_string(++count) + ".png";
  device.SavePng(std::wstring(name.begin(), name.end()).c_str());
}
