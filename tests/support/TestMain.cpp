// The main of every test program: GoogleTest's, with unbuffered output, so that a test that
// dies inside Wine still leaves in the log what it printed before.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  std::setvbuf(stderr, nullptr, _IONBF, 0);
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  // Under Wine the ordinary exit of a program that has used Direct3D unloads Mesa and LLVM
  // while threads they started are still ending; on a loaded machine that took longer than
  // the second Wine allows, and a dozen test programs of one full run were killed after their
  // tests had passed (exit code 137). The output is unbuffered: nothing is left to do.
  TerminateProcess(GetCurrentProcess(), UINT(result));
  return result;
}
