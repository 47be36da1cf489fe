// File dialogs through the desktop's dialog programs, played here by small
// scripts named like them on a PATH of their own.
#include <cstdlib>
#include <filesystem>
#include <fstream>

// Before Xlib's headers (X11Fixture.h), whose macros would hide method names.
#include "platform/core/uDialogControls.h"
#include "platform/core/uFileDialogForm.h"
#include "platform/core/uListBox.h"
#include "platform/x11/uX11FileDialog.h"
#include "tests/OwnPath.h"
#include "tests/x11/X11Fixture.h"

namespace {

namespace fs = std::filesystem;

qvt::TFileDialogRequest SaveBankRequest() {
  qvt::TFileDialogRequest request;
  request.Save = true;
  request.Title = "Save \xAB"
                  "bank\xBB";
  request.Filter = "Banks (*.qvt)|*.qvt|All files (*.*)|*.*";
  request.InitialDir = "/home/u/Banks";
  request.FileName = "Caf\xC3\xA9";
  request.DefaultExt = "qvt";
  return request;
}

TEST(X11FileDialogCommand, ZenityGetsTitleFolderAndFiltersInUtf8) {
  EXPECT_EQ(qvt::FileDialogCommand("zenity", SaveBankRequest()),
            (std::vector<std::string>{"zenity", "--file-selection", "--save", "--confirm-overwrite",
                                      "--title=Save \xC2\xAB"
                                      "bank\xC2\xBB",
                                      "--filename=/home/u/Banks/Caf\xC3\xA9",
                                      "--file-filter=Banks (*.qvt) | *.qvt",
                                      "--file-filter=All files (*.*) | *"}));
}

TEST(X11FileDialogCommand, KdialogGetsItsOwnFilterLines) {
  qvt::TFileDialogRequest request;
  request.Filter = "Patterns (*.txt;*.pat)|*.txt;*.pat";
  request.Owner = 0x2a00005;
  EXPECT_EQ(
      qvt::FileDialogCommand("kdialog", request),
      (std::vector<std::string>{"kdialog", "--getopenfilename", ".",
                                "*.txt *.pat|Patterns (*.txt;*.pat)", "--attach", "44040197"}));
  EXPECT_EQ(qvt::FileDialogCommand("zenity", request).back(), "--attach=44040197");
}

TEST(X11FileDialogCommand, ASavedNameWithoutExtensionGetsTheDefaultOne) {
  const qvt::TFileDialogRequest save = SaveBankRequest();
  EXPECT_EQ(qvt::WithDefaultExtension("/a.b/name", save), "/a.b/name.qvt");
  EXPECT_EQ(qvt::WithDefaultExtension("/a/name.bak", save), "/a/name.bak");
  qvt::TFileDialogRequest open = save;
  open.Save = false;
  EXPECT_EQ(qvt::WithDefaultExtension("/a/name", open), "/a/name");
}

class FileDialog : public X11Test {
protected:
  qvt::test::TOwnPath Path; // only the scripts below can be found
  const fs::path Folder{Path.Folder};

  // A dialog program that records its arguments, waits `seconds`, prints
  // `output` and exits with `code`.
  void FakeProgram(const std::string& name, const std::string& output, int code,
                   const char* seconds = "0") {
    Path.Script(name, "printf '%s\\n' \"$@\" > \"$0.args\"\n/bin/sleep " + std::string(seconds) +
                          "\nprintf '" + output + "'\nexit " + std::to_string(code) + "\n");
  }
};

TEST_F(FileDialog, TheChosenPathComesBackAsTheFileSystemHasItWithItsExtension) {
  FakeProgram("zenity", "/tmp/b\\303\\251nk\\n", 0);
  EXPECT_EQ(Platform->FileDialog(SaveBankRequest()),
            std::optional<std::string>("/tmp/b\xC3\xA9nk.qvt"));
  std::ifstream args(Folder / "zenity.args");
  std::string first;
  std::getline(args, first);
  EXPECT_EQ(first, "--file-selection");
}

TEST_F(FileDialog, CancellingAnswersNothing) {
  FakeProgram("zenity", "", 1);
  EXPECT_EQ(Platform->FileDialog(SaveBankRequest()), std::nullopt);
}

TEST_F(FileDialog, KdialogServesWhenZenityIsMissing) {
  FakeProgram("kdialog", "/x/y.qvt\\n", 0);
  EXPECT_EQ(Platform->FileDialog(SaveBankRequest()), std::optional<std::string>("/x/y.qvt"));
}

TEST_F(FileDialog, WithoutDialogProgramsTheFrameworkDrawsItsOwn) {
  qvt::TFileDialogRequest request = SaveBankRequest();
  request.InitialDir = Folder.string();
  bool mapped = false;
  TTimer typist(nullptr);
  typist.SetInterval(100);
  typist.OnTimer = [&](TObject*) {
    typist.SetEnabled(false);
    for (TForm* form : Application->Forms())
      if (auto* dialog = dynamic_cast<TFileDialogForm*>(form)) {
        mapped = Platform->WindowOf(*dialog) && Platform->WindowOf(*dialog)->Mapped();
        dialog->NameField().SetText("");
        for (const char ch : std::string("new")) Application->PostChar(*dialog, ch);
        Application->PostKeyDown(*dialog, vkReturn, 0);
      }
  };
  EXPECT_EQ(Platform->FileDialog(request),
            std::optional<std::string>((Folder / "new.qvt").string()));
  EXPECT_TRUE(mapped);
  // What it lists and asks: FileDialogForm (headless).
}

TEST_F(FileDialog, TheFormsStayPaintedWhileTheDialogIsOpen) {
  FakeProgram("zenity", "/slow\\n", 0, "0.5"); // the form is uncovered meanwhile
  TForm* form = EmbeddedForm(0, 0, 50, 50, RGBColor(7, 77, 177));
  int presses = 0;
  form->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++presses; };
  form->Show();
  ASSERT_TRUE(HostPixelBecomes(20, 20, RGBColor(7, 77, 177)));
  XUnmapWindow(Host, HostWindow);
  XMapWindow(Host, HostWindow);
  ClickAt(20, 20); // the dialog is modal: this press is not for the form
  XSync(Host, False);

  EXPECT_EQ(Platform->FileDialog(SaveBankRequest()), std::optional<std::string>("/slow.qvt"));
  EXPECT_EQ(HostPixel(20, 20), RGBColor(7, 77, 177)); // painted during the wait
  PumpFor(50);
  EXPECT_EQ(presses, 0);
}

} // namespace
