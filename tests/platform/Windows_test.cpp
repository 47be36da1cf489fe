// Native-window services seen through the headless backend: snapshots to PNG,
// pointer grabs of menus, window moves, the wheel and window creation.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/core/uPanel.h"
#include "tests/platform/HeadlessFixture.h"

namespace {

class Windows : public HeadlessTest {};

std::uint32_t BigEndian32(const std::vector<unsigned char>& bytes, std::size_t at) {
  return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
         (std::uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
}

TEST_F(Windows, AFormIsWrittenAsAPngOfItsClientSize) {
  new ProbeControl(Form, Bounds(5, 5, 10, 10), RGBColor(255, 0, 0));
  const auto path = std::filesystem::temp_directory_path() / "qvt_platform_snapshot.png";

  Platform.SavePng(*Form, path.string());
  std::ifstream file(path, std::ios::binary);
  const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(file), {}};
  std::filesystem::remove(path);

  ASSERT_GT(bytes.size(), 33u);
  const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  EXPECT_TRUE(std::equal(std::begin(signature), std::end(signature), bytes.begin()));
  EXPECT_EQ(BigEndian32(bytes, 16), 200u); // IHDR width
  EXPECT_EQ(BigEndian32(bytes, 20), 100u); // IHDR height
  EXPECT_EQ(qvt::ColorOfPixel(Form->BackBuffer().Pixel(7, 7)), RGBColor(255, 0, 0));
}

TEST_F(Windows, AControlsPictureIsCutFromItsFormWithWhatLiesAroundIt) {
  auto* probe = new ProbeControl(Form, Bounds(20, 30, 6, 4), RGBColor(255, 0, 0));
  new ProbeControl(Form, Bounds(23, 30, 10, 10), RGBColor(0, 0, 255));

  const TBitmap picture = Platform.ControlPicture(*probe);
  ASSERT_EQ(picture.Width(), 6);
  ASSERT_EQ(picture.Height(), 4);
  EXPECT_EQ(qvt::ColorOfPixel(picture.Pixel(0, 0)), RGBColor(255, 0, 0));
  EXPECT_EQ(qvt::ColorOfPixel(picture.Pixel(5, 3)), RGBColor(0, 0, 255));
}

TEST_F(Windows, AGrabbingMenuFormReceivesClicksMadeOnOtherForms) {
  TForm menu(nullptr);
  menu.WindowKind = qvt::wkMenu;
  menu.SetBounds(50, 40, 60, 30); // on the screen, over the main form at (0,0)
  auto* item = new ProbeControl(&menu, Bounds(0, 0, 60, 30));
  TPoint outside{0, 0};
  menu.OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) { outside = {x, y}; };
  menu.Show();
  menu.SetMouseGrab(true);
  EXPECT_TRUE(Platform.WindowOf(menu)->Grabbed);

  Platform.Click(*Form, 55, 45); // lands on the menu's item at (5,5)
  Platform.Click(*Form, 5, 5);   // outside the menu: the menu form's own, at (-45,-35)
  menu.SetMouseGrab(false);
  EXPECT_NE(std::find(item->Log.begin(), item->Log.end(), "down 5,5"), item->Log.end());
  EXPECT_EQ(outside, (TPoint{-45, -35}));
  EXPECT_FALSE(Platform.WindowOf(menu)->Grabbed);
}

TEST_F(Windows, StartingAWindowMoveEndsTheCapture) {
  auto* probe = new ProbeControl(Form, Bounds(0, 0, 200, 20));
  probe->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) {
    Form->StartWindowMove();
  };
  Platform.MouseDown(*Form, 10, 10);
  EXPECT_FALSE(probe->MouseCapture());
  EXPECT_EQ(Platform.WindowOf(*Form)->MoveCount, 1);
}

class WheelPanel : public TPanel {
public:
  using TPanel::TPanel;
  int Turned = 0;
  bool DoMouseWheel(TShiftState, int delta, TPoint) override {
    Turned += delta;
    return true;
  }
};

TEST_F(Windows, TheWheelGoesToTheControlUnderTheMouseOrTheNearestParentThatUsesIt) {
  auto* panel = new WheelPanel(Form);
  panel->SetBounds(0, 0, 100, 100);
  panel->SetParent(Form);
  auto* list = new ProbeControl(panel, Bounds(10, 10, 20, 20));
  bool listAsked = false;
  list->OnMouseWheel = [&](TObject*, TShiftState, int, TPoint pos, bool& handled) {
    listAsked = pos == TPoint{5, 5};
    handled = false;
  };
  Platform.Wheel(*Form, 15, 15, -120);
  EXPECT_TRUE(listAsked);
  EXPECT_EQ(panel->Turned, -120);
}

class WindowProbe : public TCustomControl {
public:
  using TCustomControl::TCustomControl;
  int Created = 0;
  void CreateWnd() override { ++Created; }
};

TEST_F(Windows, WindowedControlsHearWhenTheirWindowExists) {
  TForm later(nullptr);
  auto* early = new WindowProbe(&later);
  early->SetParent(&later);
  EXPECT_FALSE(early->HandleAllocated());
  EXPECT_EQ(early->Created, 0);
  later.Show();
  EXPECT_TRUE(early->HandleAllocated());
  EXPECT_EQ(early->Created, 1);

  auto* joining = new WindowProbe(&later);
  joining->SetParent(&later);
  EXPECT_EQ(joining->Created, 1);
}

TEST_F(Windows, AFormShowsAndHidesItsWindowAndTellsItsHandlers) {
  TForm tool(nullptr);
  int shown = 0, hidden = 0;
  tool.OnShow = [&](TObject*) { ++shown; };
  tool.OnHide = [&](TObject*) { ++hidden; };
  tool.Show();
  EXPECT_TRUE(Platform.WindowOf(tool)->Visible);
  tool.Hide();
  EXPECT_FALSE(Platform.WindowOf(tool)->Visible);
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(hidden, 1);
}

} // namespace
