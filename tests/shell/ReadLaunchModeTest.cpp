// The command line decides the launch mode and the parent window.
#include <gtest/gtest.h>

#include "tests/shell/TestSaver.h"

namespace {
struct CommandLineCase {
  const wchar_t* line;
  LaunchMode mode;
  INT_PTR parent;
};
void PrintTo(const CommandLineCase& c, std::ostream* os) { *os << testing::PrintToString(std::wstring(c.line)); }

const CommandLineCase kCases[] = {
    {L"Tevrana.scr /s", LaunchMode::FullScreen, 0},
    {L"Tevrana.scr -S", LaunchMode::FullScreen, 0},
    {L"Tevrana.scr /x", LaunchMode::FullScreen, 0},
    {L"Tevrana.scr /", LaunchMode::FullScreen, 0},
    {L"Tevrana.scr", LaunchMode::Settings, 0},
    {L"Tevrana.scr ", LaunchMode::Settings, 0},
    {L"Tevrana.scr /c", LaunchMode::Settings, 0},
    {L"Tevrana.scr /C", LaunchMode::Settings, 0},
    {L"Tevrana.scr /p 1234", LaunchMode::Preview, 1234},
    {L"Tevrana.scr /p:1234", LaunchMode::Preview, 1234},
    {L"Tevrana.scr /c:5678", LaunchMode::Settings, 5678},
    {L"Tevrana.scr /t 99", LaunchMode::Test, 0},
    {L"Tevrana.scr /t", LaunchMode::Test, 0},
    {L"Tevrana.scr /a 42", LaunchMode::PasswordChange, 42},
    {L"Tevrana.scr /r", LaunchMode::NoWindow, 0},
    {L"Tevrana.scr -r", LaunchMode::NoWindow, 0},
    {L"\"C:\\Program Files\\My -Savers\\Tevrana.scr\" /p 77", LaunchMode::Preview, 77},
    {L"\"C:\\Program Files\\My /Savers\\Tevrana.scr\"", LaunchMode::Settings, 0},
    {L"\"C:\\Program Files\\Tevrana.scr\" -t", LaunchMode::Test, 0},
    {L"C:\\WINDOWS\\TEVRAN~1.SCR /s", LaunchMode::FullScreen, 0},
    {L"\"unterminated /s", LaunchMode::Settings, 0},
};

class ReadLaunchMode : public ::testing::TestWithParam<CommandLineCase> {};
}  // namespace

TEST_P(ReadLaunchMode, PicksModeAndParent) {
  TestSaver saver;
  saver.parentWindow = reinterpret_cast<HWND>(INT_PTR(999));  // must be cleared
  const CommandLineCase& c = GetParam();
  EXPECT_EQ(saver.ReadLaunchMode(c.line), c.mode) << "line: " << testing::PrintToString(std::wstring(c.line));
  EXPECT_EQ(reinterpret_cast<INT_PTR>(saver.parentWindow), c.parent);
}

INSTANTIATE_TEST_SUITE_P(Lines, ReadLaunchMode, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<CommandLineCase>& info) {
                           return "case" + std::to_string(info.index);
                         });
