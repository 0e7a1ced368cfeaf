// Opening a web page through the registry's browser command. The command is a fake browser
// of this test's own that records the command line it was started with.
#include <string>

#include "shell/Settings.h"
#include "shell/SettingsIds.h"
#include "tests/settings/DialogScript.h"
#include "tests/settings/SettingsFixture.h"

namespace {

const wchar_t* const kCommandKeys[] = {L"http", L"http\\shell", L"http\\shell\\open", L"http\\shell\\open\\command"};
const wchar_t kCommandKey[] = L"http\\shell\\open\\command";
const wchar_t kUrl[] = L"http://example.org/page?x=1";

bool KeyExists(const wchar_t* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::wstring Quoted(const std::wstring& s) { return L"\"" + s + L"\""; }

class BrowserTest : public SettingsTest {
 protected:
  void SetUp() override {
    SettingsTest::SetUp();
    // Remember the machine's own browser command, to put it back afterwards.
    for (const wchar_t* path : kCommandKeys) existed_.push_back(KeyExists(path));
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, kCommandKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
      saved_.resize(4096);
      DWORD size = DWORD(saved_.size());
      hadValue_ = RegQueryValueExW(key, nullptr, nullptr, &savedType_, saved_.data(), &size) == ERROR_SUCCESS;
      saved_.resize(hadValue_ ? size : 0);
      RegCloseKey(key);
    }

    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    fake_ = path;
    fake_ = fake_.substr(0, fake_.find_last_of(L'\\') + 1) + L"fake_browser.exe";
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    output_ = std::wstring(temp) + L"tevrana_fake_browser.txt";
    DeleteFileW(output_.c_str());
  }

  void TearDown() override {
    size_t firstMissing = 0;
    while (firstMissing < existed_.size() && existed_[firstMissing]) ++firstMissing;
    if (firstMissing < existed_.size()) {
      RegDeleteTreeW(HKEY_CLASSES_ROOT, kCommandKeys[firstMissing]);
      RegDeleteKeyW(HKEY_CLASSES_ROOT, kCommandKeys[firstMissing]);
    } else if (hadValue_) {
      HKEY key = nullptr;
      if (RegCreateKeyExW(HKEY_CLASSES_ROOT, kCommandKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
          ERROR_SUCCESS) {
        RegSetValueExW(key, nullptr, 0, savedType_, saved_.data(), DWORD(saved_.size()));
        RegCloseKey(key);
      }
    }
    DeleteFileW(output_.c_str());
    SettingsTest::TearDown();
  }

  // Stores the browser command (optionally without its terminator, as some writers do).
  void SetCommand(const std::wstring& command, bool terminated = true) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, kCommandKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    DWORD bytes = DWORD((command.size() + (terminated ? 1 : 0)) * sizeof(wchar_t));
    EXPECT_EQ(RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()), bytes),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }

  void RemoveCommand() {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kCommandKey);
    RegDeleteKeyW(HKEY_CLASSES_ROOT, kCommandKey);
    ASSERT_FALSE(KeyExists(kCommandKey));
  }

  // The fake browser with the file it reports to: the command line up to the URL.
  std::wstring FakeCommand() const { return Quoted(fake_) + L" " + Quoted(output_); }

  // The command line the fake browser was started with, once it has written it.
  std::wstring StartedCommandLine(DWORD timeoutMs = 15000) const {
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
      HANDLE file = CreateFileW(output_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
      if (file != INVALID_HANDLE_VALUE) {
        char bytes[4096];
        DWORD read = 0;
        ReadFile(file, bytes, sizeof(bytes), &read, nullptr);
        CloseHandle(file);
        wchar_t text[4096] = {};
        MultiByteToWideChar(CP_UTF8, 0, bytes, int(read), text, 4095);
        return text;
      }
      Sleep(50);
    }
    return L"<the fake browser did not start>";
  }

  std::wstring fake_, output_;

 private:
  std::vector<bool> existed_;
  bool hadValue_ = false;
  DWORD savedType_ = REG_SZ;
  std::vector<BYTE> saved_;
};

TEST_F(BrowserTest, QuotedPercentOneIsReplacedByTheUrl) {
  SetCommand(FakeCommand() + L" \"%1\"");
  ASSERT_TRUE(OpenUrlInBrowser(kUrl));
  EXPECT_EQ(StartedCommandLine(), FakeCommand() + L" \"" + kUrl + L"\"");
}

TEST_F(BrowserTest, WithoutQuotedPercentOneTheUrlFollowsABlank) {
  SetCommand(FakeCommand());
  ASSERT_TRUE(OpenUrlInBrowser(kUrl));
  EXPECT_EQ(StartedCommandLine(), FakeCommand() + L" " + kUrl);
}

TEST_F(BrowserTest, UnquotedPercentOneStaysAndTheUrlIsAppended) {
  SetCommand(FakeCommand() + L" %1");
  ASSERT_TRUE(OpenUrlInBrowser(kUrl));
  EXPECT_EQ(StartedCommandLine(), FakeCommand() + L" %1 " + kUrl);
}

TEST_F(BrowserTest, CommandStoredWithoutTerminatorIsEndedWhereItsDataEnds) {
  SetCommand(FakeCommand() + L" \"%1\"", false);
  ASSERT_TRUE(OpenUrlInBrowser(kUrl));
  EXPECT_EQ(StartedCommandLine(), FakeCommand() + L" \"" + kUrl + L"\"");
}

TEST_F(BrowserTest, CommandFillingTheLimitStillRuns) {
  // Blanks between the arguments bring the command line to 259 characters, the most that
  // fits with its terminator.
  std::wstring head = Quoted(fake_);
  std::wstring tail = L" " + Quoted(output_) + L" \"" + kUrl + L"\"";
  ASSERT_LT(head.size() + tail.size(), 259u);
  std::wstring padding(259 - head.size() - tail.size(), L' ');
  SetCommand(head + padding + L" " + Quoted(output_) + L" \"%1\"");
  ASSERT_TRUE(OpenUrlInBrowser(kUrl));
  EXPECT_EQ(StartedCommandLine().size(), 259u);
}

TEST_F(BrowserTest, FailsWithoutRunningAnything) {
  struct Case {
    const char* name;
    std::wstring command;  // empty: no command at all
  };
  const std::wstring head = Quoted(fake_);
  const std::wstring tail = L" " + Quoted(output_) + L" \"%1\"";
  const Case cases[] = {
      {"NoCommand", L""},
      // Longer than the 260 characters read: not cut off and run.
      {"CommandTooLong", head + std::wstring(300, L' ') + tail},
      // The command fits, but not with the URL in it.
      {"CommandLineTooLong", head + std::wstring(259 - head.size() - tail.size(), L' ') + tail},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.command.empty())
      RemoveCommand();
    else
      SetCommand(c.command);
    EXPECT_FALSE(OpenUrlInBrowser(kUrl));
  }
  Sleep(300);
  EXPECT_EQ(GetFileAttributesW(output_.c_str()), INVALID_FILE_ATTRIBUTES) << "a browser was started";
}

TEST_F(BrowserTest, CatalogueButtonOpensTheCataloguePage) {
  UseFakeTables(1);
  SetCommand(FakeCommand() + L" \"%1\"");
  DialogScript script;
  script.On(L"Tevrana Screensaver", [&](HWND dialog) { Click(dialog, IDC_CATALOGUE_BUTTON); })
      .On(L"Tevrana Screensaver", [&](HWND dialog) { Click(dialog, IDCANCEL); });
  script.Run([&] { saver->ShowSettingsDialog(); });

  std::wstring started = StartedCommandLine();
  EXPECT_EQ(started, FakeCommand() + L" \"" + kCatalogueUrl + L"\"");
  const std::wstring url = kCatalogueUrl;
  EXPECT_EQ(url.rfind(L"http://", 0), 0u);
  EXPECT_EQ(url.substr(url.size() - 12), L"/Lumetra.php");
}

}  // namespace
