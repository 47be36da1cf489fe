// File dialogs through the desktop's dialog programs, played here by small
// scripts named like them on a PATH of their own.
#include <filesystem>

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

class FileDialog : public X11Test {
protected:
  qvt::test::TOwnPath Path; // only the scripts of a test can be found
  const fs::path Folder{Path.Folder};
};

TEST_F(FileDialog, TheChosenPathComesBackAsTheFileSystemHasItWithItsExtension) {
  const struct {
    const char *Program, *Output;
    int Code;
    std::optional<std::string> Chosen;
  } cases[] = {{"zenity", "/tmp/b\\303\\251nk\\n", 0, "/tmp/b\xC3\xA9nk.qvt"},
               {"zenity", "", 1, std::nullopt},            // cancelled
               {"kdialog", "/x/y.qvt\\n", 0, "/x/y.qvt"}}; // when zenity is missing
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Program) + " " + c.Output);
    qvt::test::TOwnPath path; // this case's program alone
    path.Script(c.Program,
                "printf '" + std::string(c.Output) + "'\nexit " + std::to_string(c.Code) + "\n");
    EXPECT_EQ(Platform->FileDialog(SaveBankRequest()), c.Chosen);
  }
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
  Path.Script("zenity", "/bin/sleep 0.5\nprintf '/slow\\n'\n"); // the form is uncovered meanwhile
  TForm* form = EmbeddedForm(0, 0, 50, 50, RGBColor(7, 77, 177));
  form->Show();
  ASSERT_TRUE(HostPixelBecomes(20, 20, RGBColor(7, 77, 177)));
  XUnmapWindow(Host, HostWindow);
  XMapWindow(Host, HostWindow);
  XSync(Host, False);

  EXPECT_EQ(Platform->FileDialog(SaveBankRequest()), std::optional<std::string>("/slow.qvt"));
  EXPECT_EQ(HostPixel(20, 20), RGBColor(7, 77, 177)); // painted during the wait
}

} // namespace
