// The music: extraction of the stored files, the DirectShow graph with its volume and
// events, and a screen's playlist.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <ostream>
#include <memory>
#include <string>
#include <vector>

#include "runtime/DS_AudioFile.h"
#include "runtime/DS_SlideShow_Light.h"
#include "shell/CMoireScreensaver.h"
#include "shell/MusicGraph.h"
#include "shell/ScreenScene.h"
#include "shell/Settings.h"
#include "tests/support/RecordBytes.h"

namespace {

std::wstring TempFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  return std::wstring(buffer, n);
}

std::wstring ExeFolder() {
  wchar_t buffer[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  std::wstring path = buffer;
  return path.substr(0, path.find_last_of(L"\\/") + 1);
}

std::string ReadAll(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::wstring& path, const std::string& bytes) {
  std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
  out << bytes;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::unique_ptr<DS_AudioFile> Item(const std::wstring& storedPath, const std::string& bytes) {
  auto item = std::make_unique<DS_AudioFile>();
  item->sound.name = storedPath;
  item->sound.SetData(int32_t(bytes.size()), bytes.data());
  return item;
}

// Points TMP at a folder of this test process while it lives, so that cases running at the
// same time in other processes never share an extracted file.
class OwnTempFolder {
 public:
  OwnTempFolder() {
    wchar_t saved[MAX_PATH + 1] = {};
    hadSaved_ = GetEnvironmentVariableW(L"TMP", saved, MAX_PATH + 1) != 0;
    saved_ = saved;
    folder_ = TempFolder() + L"tevrana-music-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(folder_.c_str(), nullptr);
    SetEnvironmentVariableW(L"TMP", folder_.c_str());
  }
  ~OwnTempFolder() {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder_ + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do DeleteFileW((folder_ + found.cFileName).c_str());
      while (FindNextFileW(search, &found));
      FindClose(search);
    }
    RemoveDirectoryW(folder_.c_str());
    SetEnvironmentVariableW(L"TMP", hadSaved_ ? saved_.c_str() : nullptr);
  }

 private:
  std::wstring folder_, saved_;
  bool hadSaved_ = false;
};

}  // namespace

// --- Extraction -----------------------------------------------------------------------

struct SafeNameCase {
  const wchar_t* stored;
  const wchar_t* expected;  // the file name in the temporary folder
};

// The stored path with its backslashes shown as slashes, which the test runner keeps intact.
void PrintTo(const SafeNameCase& c, std::ostream* os) {
  *os << '"';
  for (const wchar_t* p = c.stored; *p; ++p) *os << (*p == L'\\' ? '/' : char(*p < 128 ? *p : '?'));
  *os << '"';
}

class SafeName : public testing::TestWithParam<SafeNameCase> {
  OwnTempFolder temp_;
};

TEST_P(SafeName, ExtractsOnlyIntoTheTemporaryFolder) {
  const SafeNameCase& c = GetParam();
  EXPECT_EQ(SafeTempFileName(c.stored), c.expected);

  const std::wstring target = TempFolder() + c.expected;
  DeleteFileW(target.c_str());
  auto item = Item(c.stored, "ID3 music bytes");
  item->ExtractToTemp();
  EXPECT_EQ(item->sound.name, target);
  EXPECT_EQ(item->sound.size, 0);
  EXPECT_EQ(item->sound.data, nullptr);
  EXPECT_EQ(ReadAll(target), "ID3 music bytes");
  DeleteFileW(target.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Names, SafeName,
    testing::Values(SafeNameCase{L"C:\\Lumetra\\Music\\tevrana-x1.mp3", L"tevrana-x1.mp3"},
                    SafeNameCase{L"D:/Music/tevrana-x2.mp3", L"tevrana-x2.mp3"},
                    SafeNameCase{L"C:\\Music/sub\\tevrana-x3.mp3", L"tevrana-x3.mp3"},
                    // A bare name keeps its music instead of aiming at the folder itself.
                    SafeNameCase{L"tevrana-x4.mp3", L"tevrana-x4.mp3"},
                    SafeNameCase{L"..\\..\\Windows\\tevrana-x5.mp3", L"tevrana-x5.mp3"},
                    SafeNameCase{L"", kSafeMusicFileName},
                    SafeNameCase{L"C:\\Music\\", kSafeMusicFileName},
                    SafeNameCase{L"C:tevrana-x6.mp3", kSafeMusicFileName},
                    SafeNameCase{L"C:\\Music\\..", kSafeMusicFileName},
                    SafeNameCase{L"tevrana..x7.mp3", kSafeMusicFileName},
                    // Device names, which would send the bytes to a port or the console.
                    SafeNameCase{L"C:\\Music\\nul.mp3", kSafeMusicFileName},
                    SafeNameCase{L"COM1.mp3", kSafeMusicFileName},
                    SafeNameCase{L"D:/lpt9", kSafeMusicFileName},
                    SafeNameCase{L"Con .mp3", kSafeMusicFileName},
                    SafeNameCase{L"C:\\Music\\console.mp3", L"console.mp3"},
                    SafeNameCase{L"com10.mp3", L"com10.mp3"}),
    [](const testing::TestParamInfo<SafeNameCase>& info) { return "Case" + std::to_string(info.index); });

class Extract : public testing::Test {
  OwnTempFolder temp_;
};

TEST_F(Extract, ExistingStoredPathPlaysInPlaceAndWritesNothing) {
  const std::wstring folder = TempFolder() + L"tevrana-music-own\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring stored = folder + L"tevrana-in-place.mp3";
  WriteAll(stored, "the file on disk");
  const std::wstring wouldBeTarget = TempFolder() + L"tevrana-in-place.mp3";
  DeleteFileW(wouldBeTarget.c_str());

  auto item = Item(stored, "the document's bytes");
  item->ExtractToTemp();
  EXPECT_EQ(item->sound.name, stored);
  EXPECT_EQ(item->sound.size, 0);
  EXPECT_EQ(item->sound.data, nullptr);
  EXPECT_EQ(ReadAll(stored), "the file on disk");
  EXPECT_FALSE(Exists(wouldBeTarget));
  DeleteFileW(stored.c_str());
  RemoveDirectoryW(folder.c_str());
}

TEST_F(Extract, TwoItemsWithTheSameFileNameShareOneFileTheLaterWins) {
  auto first = Item(L"C:\\One\\tevrana-same.mp3", "first");
  auto second = Item(L"D:\\Two\\tevrana-same.mp3", "second");
  first->ExtractToTemp();
  second->ExtractToTemp();
  const std::wstring target = TempFolder() + L"tevrana-same.mp3";
  EXPECT_EQ(first->sound.name, target);
  EXPECT_EQ(second->sound.name, target);
  EXPECT_EQ(ReadAll(target), "second");
  DeleteFileW(target.c_str());
}

TEST_F(Extract, ItemWithoutBytesIsLeftAlone) {
  DS_AudioFile item;
  item.sound.name = L"C:\\Nowhere\\tevrana-empty.mp3";
  item.ExtractToTemp();
  EXPECT_EQ(item.sound.name, L"C:\\Nowhere\\tevrana-empty.mp3");
  EXPECT_FALSE(Exists(TempFolder() + L"tevrana-empty.mp3"));
}

TEST(Record, RoundTripsThroughTheStream) {
  auto item = Item(L"C:\\Music\\evening.mp3", std::string("\x00\x01\xFFmp3", 6));
  item->name = L"Evening";
  std::unique_ptr<DS_AudioFile> read;
  ReadBytes(WriteBytes([&](DS_IOF_Holder s) { item->WriteRecord(s); }),
            [&](DS_IOF_Holder s) { read.reset(ReadAudioFile(s)); });
  ASSERT_TRUE(read);
  EXPECT_EQ(read->name, L"Evening");
  EXPECT_EQ(read->sound.name, L"C:\\Music\\evening.mp3");
  ASSERT_EQ(read->sound.size, 6);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(read->sound.data), 6), std::string("\x00\x01\xFFmp3", 6));
}

TEST(Record, TruncatedRecordFailsWithTheLoadError) {
  auto item = Item(L"x.mp3", "0123456789");
  const RecordBytes bytes = WriteBytes([&](DS_IOF_Holder s) { item->WriteRecord(s); });
  for (size_t cut = 0; cut < bytes.size(); ++cut) {
    const RecordBytes shorter(bytes.begin(), bytes.begin() + cut);
    EXPECT_THROW(ReadBytesLeavingRest(shorter, [](DS_IOF_Holder s) { delete ReadAudioFile(s); }), DS_LoadError)
        << "cut at " << cut;
  }
}

// --- Volume ---------------------------------------------------------------------------

TEST(Volume, SettingGivesHundredthsOfADecibel) {
  struct {
    bool mute;
    unsigned volume;
    long expected;
  } cases[] = {{true, 100, -10000}, {true, 0, -10000}, {false, 100, 0},
               {false, 75, -1000},  {false, 50, -2000}, {false, 0, -4000}};
  for (auto& c : cases) EXPECT_EQ(MusicVolumeFor(c.mute, c.volume), c.expected) << c.volume << " " << c.mute;
}

// --- The graph --------------------------------------------------------------------------

class MusicGraph : public testing::Test {
 protected:
  void SetUp() override {
    window_ = CreateWindowW(L"STATIC", L"music", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(InitMusicGraph(window_), 1);
    g_soundVolume = 100;
    g_muteSound = 0;
  }
  void TearDown() override {
    if (g_musicControl) g_musicControl->Stop();
    ReleaseMusicGraph();
    DestroyWindow(window_);
  }

  static std::unique_ptr<DS_AudioFile> Tone(const wchar_t* name) {
    auto item = std::make_unique<DS_AudioFile>();
    item->sound.name = ExeFolder() + name;
    return item;
  }

  // Pumps the window's messages until a 0x8000 message yields EC_COMPLETE.
  bool WaitForCompletion(std::chrono::milliseconds limit) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
      MSG msg;
      while (PeekMessageW(&msg, window_, kMusicEventMessage, kMusicEventMessage, PM_REMOVE))
        for (long code; (code = GetMusicEvent()) != -1;)
          if (code == EC_COMPLETE) return true;
      Sleep(20);
    }
    return false;
  }

  static int FilterCount() {
    ComRef<IEnumFilters> list;
    if (!g_musicGraph || FAILED(g_musicGraph->EnumFilters(list.Put()))) return -1;
    int n = 0;
    ComRef<IBaseFilter> filter;
    while (list->Next(1, filter.Put(), nullptr) == S_OK) ++n;
    return n;
  }

  static std::wstring PlayingFile() {
    if (!g_musicSource) return L"";
    ComRef<IFileSourceFilter> source;
    if (FAILED(g_musicSource->QueryInterface(IID_IFileSourceFilter, reinterpret_cast<void**>(source.Put()))))
      return L"";
    LPOLESTR name = nullptr;
    if (FAILED(source->GetCurFile(&name, nullptr)) || !name) return L"";
    std::wstring result = name;
    CoTaskMemFree(name);
    return result.substr(result.find_last_of(L"\\/") + 1);
  }

  HWND window_ = nullptr;
};

TEST_F(MusicGraph, PlaysToTheEndAndSignalsIt) {
  auto tone = Tone(L"tone-a.mp3");
  PlayMusicFile(*tone);
  EXPECT_EQ(PlayingFile(), L"tone-a.mp3");
  EXPECT_TRUE(WaitForCompletion(std::chrono::seconds(6)));
}

TEST_F(MusicGraph, VolumeFollowsTheSettings) {
  auto tone = Tone(L"tone-a.mp3");
  PlayMusicFile(*tone);
  long volume = 1;
  g_soundVolume = 75;
  SetMusicVolume(false);
  ASSERT_EQ(g_musicAudio->get_Volume(&volume), S_OK);
  EXPECT_EQ(volume, -1000);
  SetMusicVolume(true);
  ASSERT_EQ(g_musicAudio->get_Volume(&volume), S_OK);
  EXPECT_EQ(volume, -10000);
  g_soundVolume = 100;
  SetMusicVolume(false);
  ASSERT_EQ(g_musicAudio->get_Volume(&volume), S_OK);
  EXPECT_EQ(volume, 0);
}

TEST_F(MusicGraph, ManyItemsDoNotPileUpFilters) {
  auto a = Tone(L"tone-a.mp3");
  auto b = Tone(L"tone-b.mp3");
  PlayMusicFile(*a);
  const int afterFirst = FilterCount();
  ASSERT_GT(afterFirst, 0);
  for (int i = 0; i < 6; ++i) PlayMusicFile(i % 2 ? *a : *b);
  EXPECT_EQ(FilterCount(), afterFirst);
  EXPECT_EQ(PlayingFile(), L"tone-a.mp3");
}

TEST_F(MusicGraph, MissingFilePlaysNothingAndKeepsTheGraphUsable) {
  auto missing = Tone(L"no-such-tone.mp3");
  PlayMusicFile(*missing);
  auto tone = Tone(L"tone-b.mp3");
  PlayMusicFile(*tone);
  EXPECT_EQ(PlayingFile(), L"tone-b.mp3");
  EXPECT_TRUE(WaitForCompletion(std::chrono::seconds(6)));
}


// --- The playlist of a screen ------------------------------------------------------------

class Playlist : public MusicGraph {
 protected:
  void Give(ScreenScene& scene, std::initializer_list<const wchar_t*> names) {
    scene.root = std::make_unique<DS_SlideShow_Light>();
    for (const wchar_t* name : names) scene.root->audioFiles.emplace_back(Tone(name).release());
  }
  // The application in test mode with the graph's window, its screen 0 playing the first of
  // two items.
  std::unique_ptr<CMoireScreensaver> AppPlayingTheFirstOfTwo() {
    auto app = std::make_unique<CMoireScreensaver>();
    app->launchMode = LaunchMode::Test;
    app->mainWindow = window_;
    app->ActivateScreen(0);
    Give(*app->currentScene, {L"tone-a.mp3", L"tone-b.mp3"});
    app->currentScene->MusicStep();
    return app;
  }
  static void Forget(CMoireScreensaver& app) { app.currentScene->root.reset(); }
};

TEST_F(Playlist, ThreeItemsPlayInTurnAndWrap) {
  ScreenScene scene;
  Give(scene, {L"tone-a.mp3", L"tone-b.mp3", L"tone-c.mp3"});
  scene.MusicStep();
  EXPECT_EQ(PlayingFile(), L"tone-a.mp3");
  std::vector<std::wstring> played;
  for (int i = 0; i < 4; ++i) {
    scene.OnMusicEvent(EC_COMPLETE);
    played.push_back(PlayingFile());
  }
  EXPECT_EQ(played, (std::vector<std::wstring>{L"tone-b.mp3", L"tone-c.mp3", L"tone-a.mp3", L"tone-b.mp3"}));
  scene.OnMusicEvent(EC_CLOCK_CHANGED);  // other events change nothing
  EXPECT_EQ(PlayingFile(), L"tone-b.mp3");
}

TEST_F(Playlist, OneItemPlaysAgainAfterItsEnd) {
  ScreenScene scene;
  Give(scene, {L"tone-c.mp3"});
  scene.MusicStep();
  ASSERT_TRUE(WaitForCompletion(std::chrono::seconds(6)));
  scene.OnMusicEvent(EC_COMPLETE);
  EXPECT_EQ(PlayingFile(), L"tone-c.mp3");
  EXPECT_EQ(scene.playlistPosition, 0u);
  EXPECT_TRUE(WaitForCompletion(std::chrono::seconds(6)));
}

TEST_F(Playlist, EmptyListNeverTouchesTheGraph) {
  ScreenScene scene;
  Give(scene, {});
  scene.AcquireScene();
  scene.OnMusicEvent(EC_COMPLETE);
  EXPECT_EQ(FilterCount(), 0);
  EXPECT_FALSE(g_musicSource);
}

TEST_F(Playlist, FirstAcquisitionExtractsAndPlaysTheFirstItemWhoseEndStartsTheNext) {
  ScreenScene scene;  // the document this test program carries: three music items
  scene.AcquireScene();
  ASSERT_NE(scene.root, nullptr);
  ASSERT_EQ(scene.root->audioFiles.size(), 3u);
  EXPECT_EQ(scene.root->audioFiles[0]->sound.name, TempFolder() + L"tevrana-test-a.mp3");
  EXPECT_EQ(scene.root->audioFiles[2]->sound.name, TempFolder() + L"tevrana-test-c.mp3");
  EXPECT_EQ(scene.root->audioFiles[1]->sound.size, 0);
  EXPECT_EQ(PlayingFile(), L"tevrana-test-a.mp3");
  ASSERT_TRUE(WaitForCompletion(std::chrono::seconds(6)));
  scene.OnMusicEvent(EC_COMPLETE);
  EXPECT_EQ(PlayingFile(), L"tevrana-test-b.mp3");
}

// A 0x8000 message that reaches the window procedure after the release: there is no event
// to take, so the playlist stays where it was and no graph comes back.
TEST_F(Playlist, EventMessageAfterReleaseChangesNothing) {
  auto app = AppPlayingTheFirstOfTwo();
  ASSERT_EQ(app->currentScene->playlistPosition, 1u);
  app->ReleaseDeviceResources();
  EXPECT_EQ(GetMusicEvent(), -1);
  app->HandleWindowMessage(window_, kMusicEventMessage, 0, 0);
  EXPECT_EQ(app->currentScene->playlistPosition, 1u);
  EXPECT_FALSE(g_musicGraph);
  EXPECT_FALSE(g_musicSource);
  Forget(*app);
}

// The release before a device reset lets go of the graph; the acquisition after it builds
// the graph again in full-screen and test mode, so the next item plays.
TEST_F(Playlist, DeviceResetBuildsTheGraphAgainAndPlaysTheNextItem) {
  auto app = AppPlayingTheFirstOfTwo();
  EXPECT_EQ(PlayingFile(), L"tone-a.mp3");

  app->ReleaseDeviceResources();
  EXPECT_FALSE(g_musicGraph);
  app->AcquireDeviceResources();
  EXPECT_EQ(app->errorFlag, 0);
  ASSERT_TRUE(g_musicGraph);
  EXPECT_EQ(PlayingFile(), L"tone-b.mp3");
  EXPECT_TRUE(WaitForCompletion(std::chrono::seconds(6)));

  // The preview has no music: nothing is built there.
  app->launchMode = LaunchMode::Preview;
  app->ReleaseDeviceResources();
  app->AcquireDeviceResources();
  EXPECT_FALSE(g_musicGraph);
  Forget(*app);
}
