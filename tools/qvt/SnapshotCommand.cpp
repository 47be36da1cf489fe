// qvt snapshot: the editor's skinned pictures rendered headless into PNG files.
//   qvt snapshot --form main -o FILE.png                 the editor with its controls
//   qvt snapshot --form patedit|about -o FILE.png        the pattern editor, the about box
//   qvt snapshot --demo -o FILE.png                      knobs, check buttons and text
//   qvt snapshot --controls -o FILE.png                  every control class in its states
#include <cstdio>
#include <memory>
#include <string>

#include "controls/uBitmapEx.h"
#include "core/uSynth.h"
#include "editor/uAbout.h"
#include "editor/uEditor.h"
#include "editor/uPatEditor.h"
#include "lib/uGlobals.h"
#include "platform/core/uApplication.h"
#include "platform/core/uForms.h"
#include "platform/headless/uHeadlessPlatform.h"
#include "tools/qvt/Commands.h"
#include "tools/qvt/ControlsGallery.h"

namespace qvt {

namespace {

constexpr TColor kKnobTransparent = RGBColor(0, 255, 0);

int Usage() {
  std::fprintf(stderr, "usage: qvt snapshot --form main|patedit|about -o FILE.png\n"
                       "       qvt snapshot --demo -o FILE.png\n"
                       "       qvt snapshot --controls -o FILE.png\n");
  return 2;
}

// The least of a knob: frame `Position` of the shared strip, its green transparent.
class TDemoKnob : public TGraphicControl {
public:
  TDemoKnob(TComponent* owner, int position) : TGraphicControl(owner), FPosition(position) {
    SetBounds(0, 0, 25, 25);
  }
  void Paint() override {
    if (const TBitmap* strip = SharedSkinImages().Knob128.get())
      Canvas().TransparentCopy(0, 0, *strip, Bounds(0, 25 * FPosition, 25, 25), kKnobTransparent);
  }

private:
  int FPosition;
};

// A check button showing its checked or unchecked look.
class TDemoCheck : public TGraphicControl {
public:
  TDemoCheck(TComponent* owner, bool checked) : TGraphicControl(owner), FChecked(checked) {
    SetBounds(0, 0, 13, 13);
  }
  void Paint() override {
    const auto& images = SharedSkinImages();
    if (const TBitmap* look = (FChecked ? images.ChButton1 : images.ChButton0).get())
      Canvas().Copy(0, 0, *look, Bounds(0, 0, 13, 13));
  }

private:
  bool FChecked;
};

// A plate with three knobs (minimum, middle, maximum), two check buttons and text.
class TDemoForm : public TForm {
public:
  TDemoForm() : TForm(nullptr) {
    BorderStyle = bsNone;
    Color = RGBColor(44, 65, 54);
    SetBounds(0, 0, 160, 72);
    const int positions[3] = {0, 64, 127};
    for (int i = 0; i < 3; ++i) Place(new TDemoKnob(this, positions[i]), 12 + 32 * i, 28);
    Place(new TDemoCheck(this, false), 112, 28);
    Place(new TDemoCheck(this, true), 112, 44);
  }
  void Paint() override {
    TForm::Paint();
    Canvas().Font.Color = RGBColor(187, 255, 173);
    Canvas().Font.Height = -11;
    Canvas().Brush.Style = bsClear;
    Canvas().TextOut(12, 6, "Quivertone");
    if (const TBitmap* font1 = SharedSkinImages().Font1.get())
      DrawFont1Text(Canvas(), *font1, "Demo", 12, 58);
  }

private:
  void Place(TControl* control, int left, int top) {
    control->SetLeft(left);
    control->SetTop(top);
    control->SetParent(this);
  }
};

// The editor window as a host shows it, on a synthesizer of its own with the
// start-up program (the user's remembered bank, else the factory bank).
class TEditorSnapshot : public TFrmQuivertone {
public:
  TEditorSnapshot() : TFrmQuivertone(nullptr), FSynth(std::make_unique<TSynth>(nullptr)) {
    SetPlugin(FSynth.get());
    for (int index = 0; index < qvt::kNumStoredParams; ++index)
      SetParam(index, FSynth->getParameter(index));
  }
  ~TEditorSnapshot() override { DestroyComponents(); }

private:
  std::unique_ptr<TSynth> FSynth;
};

// The pattern editor on the start-up program's pattern.
class TPatEditorSnapshot : public TFrmPatEditor {
public:
  TPatEditorSnapshot() : TFrmPatEditor(nullptr), FSynth(std::make_unique<TSynth>(nullptr)) {
    SetPlugin(FSynth.get());
  }
  ~TPatEditorSnapshot() override { DestroyComponents(); }

private:
  std::unique_ptr<TSynth> FSynth;
};

std::unique_ptr<TForm> MakeForm(const std::string& form) {
  if (form == "main") return std::make_unique<TEditorSnapshot>();
  if (form == "patedit") return std::make_unique<TPatEditorSnapshot>();
  if (form == "about") return std::make_unique<TFrmAbout>(nullptr);
  return nullptr;
}

} // namespace

int RunSnapshot(const std::vector<std::string>& args) {
  std::string form, output;
  bool demo = false, controls = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--demo")
      demo = true;
    else if (args[i] == "--controls")
      controls = true;
    else if (args[i] == "--form" && i + 1 < args.size())
      form = args[++i];
    else if (args[i] == "-o" && i + 1 < args.size())
      output = args[++i];
    else
      return Usage();
  }
  if (output.empty() || int(demo) + int(controls) + int(!form.empty()) != 1) return Usage();

  THeadlessPlatform platform;
  struct TSharedImages {
    TSharedImages() { LoadSharedSkinImages(); }
    ~TSharedImages() { FreeSharedSkinImages(); }
  } shared;
  std::unique_ptr<TForm> window = demo       ? std::make_unique<TDemoForm>()
                                  : controls ? MakeControlsGallery()
                                             : MakeForm(form);
  if (!window) {
    std::fprintf(stderr, "qvt snapshot: unknown form '%s' (main, patedit or about)\n",
                 form.c_str());
    return 2;
  }
  window->Show();
  Application->ProcessMessages();
  if (!controls) platform.AdvanceTime(1000); // fades and slides come to rest (the gallery shows them halfway)
  platform.SavePng(*window, output);
  return 0;
}

} // namespace qvt
