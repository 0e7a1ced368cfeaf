// The dialog templates as the program carries them: size, caption, font, and each
// control's id, kind and text (and, where they are fixed, its place) in dialog units.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "shell/SettingsIds.h"

namespace {

struct TemplateControl {
  int id;
  std::wstring cls;  // window class; ordinals as their class names
  std::wstring text;
  DWORD style;
  short x, y, cx, cy;
};

struct DialogTemplate {
  short cx, cy;
  std::wstring caption, font;
  WORD pointSize;
  std::vector<TemplateControl> controls;

  const TemplateControl* Find(int id) const {
    for (const TemplateControl& c : controls)
      if (c.id == id) return &c;
    return nullptr;
  }
};

// Reads an extended dialog template (DLGTEMPLATEEX and its DLGITEMTEMPLATEEX items).
class TemplateReader {
 public:
  explicit TemplateReader(const BYTE* data) : base_(data), p_(data) {}

  DialogTemplate Read() {
    DialogTemplate t{};
    EXPECT_EQ(Word(), 1) << "an extended template";
    EXPECT_EQ(Word(), 0xFFFF);
    Dword();  // help id
    Dword();  // extended style
    DWORD style = Dword();
    WORD count = Word();
    Short();
    Short();
    t.cx = Short();
    t.cy = Short();
    NameOrOrdinal();  // menu
    NameOrOrdinal();  // class
    t.caption = String();
    EXPECT_TRUE(style & DS_SETFONT);
    t.pointSize = Word();
    Word();  // weight
    p_ += 2;  // italic, character set
    t.font = String();
    for (WORD i = 0; i < count; ++i) {
      Align();
      TemplateControl c{};
      Dword();  // help id
      Dword();  // extended style
      c.style = Dword();
      c.x = Short();
      c.y = Short();
      c.cx = Short();
      c.cy = Short();
      c.id = int(LONG(Dword()));
      c.cls = NameOrOrdinal();
      c.text = NameOrOrdinal();
      p_ += Word();  // creation data
      t.controls.push_back(c);
    }
    return t;
  }

 private:
  WORD Word() {
    WORD v;
    std::memcpy(&v, p_, 2);
    p_ += 2;
    return v;
  }
  short Short() { return short(Word()); }
  DWORD Dword() {
    DWORD v;
    std::memcpy(&v, p_, 4);
    p_ += 4;
    return v;
  }
  void Align() { p_ = base_ + ((p_ - base_ + 3) & ~3); }
  std::wstring String() {
    std::wstring s;
    while (WORD c = Word()) s.push_back(wchar_t(c));
    return s;
  }
  std::wstring NameOrOrdinal() {
    WORD first;
    std::memcpy(&first, p_, 2);
    if (first != 0xFFFF) return String();
    p_ += 2;
    switch (WORD ordinal = Word()) {
      case 0x80: return L"Button";
      case 0x81: return L"Edit";
      case 0x82: return L"Static";
      case 0x85: return L"ComboBox";
      default: return L"#" + std::to_wstring(ordinal);
    }
  }

  const BYTE* base_;
  const BYTE* p_;
};

std::optional<DialogTemplate> LoadTemplate(int id) {
  HRSRC info = FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
  if (!info) return std::nullopt;
  const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, info)));
  if (!data) return std::nullopt;
  return TemplateReader(data).Read();
}

enum Kind { Push, DefPush, Check, Radio, Group, Text, HiddenText, DropList, Tabs, VerticalTrackbar };

struct ExpectedControl {
  int id;
  Kind kind;
  const wchar_t* text;  // null: not fixed
  short x = -1, y = -1, cx = -1, cy = -1;  // -1: not fixed
};

struct ExpectedDialog {
  const char* name;
  int id;
  short cx, cy;
  const wchar_t* caption;
  std::vector<ExpectedControl> controls;
};

void PrintTo(const ExpectedDialog& d, std::ostream* os) { *os << d.name; }

void ExpectKind(const TemplateControl& c, Kind kind) {
  const DWORD type = c.style & 0xF;
  switch (kind) {
    case Push: EXPECT_EQ(c.cls, L"Button"); EXPECT_EQ(type, DWORD(BS_PUSHBUTTON)); break;
    case DefPush: EXPECT_EQ(c.cls, L"Button"); EXPECT_EQ(type, DWORD(BS_DEFPUSHBUTTON)); break;
    case Check: EXPECT_EQ(c.cls, L"Button"); EXPECT_EQ(type, DWORD(BS_AUTOCHECKBOX)); break;
    case Radio: EXPECT_EQ(c.cls, L"Button"); EXPECT_EQ(type, DWORD(BS_AUTORADIOBUTTON)); break;
    case Group: EXPECT_EQ(c.cls, L"Button"); EXPECT_EQ(type, DWORD(BS_GROUPBOX)); break;
    case Text:
    case HiddenText:
      EXPECT_EQ(c.cls, L"Static");
      EXPECT_EQ((c.style & WS_VISIBLE) != 0, kind == Text);
      break;
    case DropList: EXPECT_EQ(c.cls, L"ComboBox"); EXPECT_EQ(c.style & 0x3, DWORD(CBS_DROPDOWNLIST)); break;
    case Tabs: EXPECT_EQ(_wcsicmp(c.cls.c_str(), WC_TABCONTROLW), 0) << "class " << c.cls; break;
    case VerticalTrackbar:
      EXPECT_EQ(_wcsicmp(c.cls.c_str(), TRACKBAR_CLASSW), 0) << "class " << c.cls;
      EXPECT_EQ(c.style & (TBS_VERT | TBS_AUTOTICKS | TBS_BOTH), DWORD(TBS_VERT | TBS_AUTOTICKS | TBS_BOTH));
      break;
  }
}

class DialogResourceTest : public ::testing::TestWithParam<ExpectedDialog> {};

TEST_P(DialogResourceTest, TemplateHasTheControlsTextsAndSizes) {
  const ExpectedDialog& d = GetParam();
  std::optional<DialogTemplate> t = LoadTemplate(d.id);
  ASSERT_TRUE(t.has_value()) << "no dialog " << d.id;
  EXPECT_EQ(t->cx, d.cx);
  EXPECT_EQ(t->cy, d.cy);
  EXPECT_EQ(t->caption, d.caption);
  EXPECT_EQ(t->font, L"MS Shell Dlg");
  EXPECT_EQ(t->pointSize, 8);
  for (const ExpectedControl& want : d.controls) {
    SCOPED_TRACE(want.id);
    const TemplateControl* c = t->Find(want.id);
    if (want.id == IDC_STATIC) {
      // Unnumbered statics and groups are found by their text.
      c = nullptr;
      for (const TemplateControl& candidate : t->controls)
        if (candidate.id == IDC_STATIC && candidate.text == want.text) c = &candidate;
    }
    ASSERT_NE(c, nullptr) << "control missing";
    ExpectKind(*c, want.kind);
    if (want.text) {
      EXPECT_EQ(c->text, want.text);
    }
    if (want.x >= 0) {
      EXPECT_EQ(c->x, want.x);
      EXPECT_EQ(c->y, want.y);
      EXPECT_EQ(c->cx, want.cx);
      EXPECT_EQ(c->cy, want.cy);
    }
    // Every control lies inside the dialog (a drop-down list's height is that of its open list).
    EXPECT_LE(c->x + c->cx, t->cx);
    if (want.kind != DropList) {
      EXPECT_LE(c->y + c->cy, t->cy);
    }
  }
  // Exactly one default button: OK.
  int defaults = 0;
  for (const TemplateControl& c : t->controls)
    if (c.cls == L"Button" && (c.style & 0xF) == BS_DEFPUSHBUTTON) ++defaults;
  EXPECT_EQ(defaults, 1);
}

// The display dialogs' controls shared by both templates.
std::vector<ExpectedControl> DisplayControls(const wchar_t* disableText, std::vector<ExpectedControl> more) {
  std::vector<ExpectedControl> controls = {
      {IDOK, DefPush, L"OK"},
      {IDCANCEL, Push, L"Cancel"},
      {IDC_ADAPTER_NAME, Text, nullptr},
      {IDC_RENDERING_TEXT, Text, nullptr},
      {IDC_HELP_BUTTON, Push, L"&Help"},
      {IDC_DISABLE_HARDWARE, Check, disableText},
      {IDC_MODE_LIST, DropList, nullptr},
      {IDC_MODE_LABEL, Text, L"Display &mode for this video adapter:"},
      {IDC_MODE_GROUP, Group, nullptr},
      {IDC_MODE_NOTE, Text, nullptr},
      {IDC_AUTOMATIC_TEXT, HiddenText, L"Automatic"},
      {IDC_MODE_FORMAT, HiddenText, L"%d by %d, %d bit color"},
  };
  controls.insert(controls.end(), more.begin(), more.end());
  return controls;
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, DialogResourceTest,
    ::testing::Values(
        ExpectedDialog{"Settings",
                   IDD_SETTINGS,
                   244,
                   189,
                   L"Screen Saver",  // replaced by the title when it opens
                   {{IDOK, DefPush, L"OK", 186, 138, 50, 14},
                    {IDCANCEL, Push, L"Cancel", 186, 162, 50, 14},
                    {IDC_STATIC, Group, L"Image Settings", 6, 73, 168, 36},
                    {IDC_STATIC, Text, L"Picture position:", 31, 87, 60, 12},
                    {IDC_PICTURE_POSITION, DropList, nullptr, 97, 87, 54, 12},
                    {IDC_STATIC, Group, L"Display Settings", 6, 114, 168, 30},
                    {IDC_DISPLAY_SETTINGS_BUTTON, Push, L"&Display Settings...", 39, 124, 102, 14},
                    {IDC_STATIC, Group, L"Sound Settings", 6, 150, 168, 30},
                    {IDC_SOUND_SETTINGS_BUTTON, Push, L"&Sound Settings...", 39, 160, 102, 14},
                    {IDC_CATALOGUE_BUTTON, Push, L"Get More Screensavers", 90, 42, 146, 17}}},
        ExpectedDialog{"DisplayOneAdapter", IDD_DISPLAY_ONE_ADAPTER, 255, 170, L"Display Settings",
                   DisplayControls(L"&Disable hardware 3D rendering", {})},
        ExpectedDialog{"DisplayMonitorTabs", IDD_DISPLAY_MONITOR_TABS, 270, 281, L"Display Settings",
                   DisplayControls(L"&Disable hardware 3D rendering on this monitor",
                                   {{IDC_MONITOR_TABS, Tabs, nullptr},
                                    {IDC_TAB_NAME_FORMAT, HiddenText, L"Monitor %d"},
                                    {IDC_MONITOR_USAGE_GROUP, Group, L"Monitor usage"},
                                    {IDC_SHOW_ON_MONITOR, Radio, L"Display &screen saver on this monitor"},
                                    {IDC_LEAVE_BLACK, Radio, L"Display &nothing on this monitor"},
                                    {IDC_DUAL_MONITOR_GROUP, Group, L"Dual Monitor Settings"},
                                    {IDC_REVERSE_ORDER, Check, L"Show &images in reverse order"}})},
        ExpectedDialog{"Sound",
                   IDD_SOUND,
                   134,
                   107,
                   L"Sound Settings",
                   {{IDOK, DefPush, L"OK"},
                    {IDCANCEL, Push, L"Cancel"},
                    {IDC_STATIC, Group, L"Volume"},
                    {IDC_VOLUME_TRACKBAR, VerticalTrackbar, nullptr},
                    {IDC_MUTE, Check, L"Mute"}}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
