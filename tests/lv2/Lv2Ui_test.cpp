// The LV2 UI on a private X server: the editor opens in the host's window, and a knob dragged
// there reaches the plug-in's control port through the host's write function.
#include <lv2/instance-access/instance-access.h>
#include <lv2/ui/ui.h>

#include "core/uParamTable.h"
#include "tests/editorhost/EditorHost.h"
#include "tests/lv2/Lv2TestHost.h"

using qvt::test::TLv2Instance;
using qvt::test::TLv2Library;

namespace {

class Lv2Ui : public EditorHost {
protected:
  struct TWrite {
    std::uint32_t Port;
    float Value;
  };

  void SetUp() override {
    EditorHost::SetUp();
    if (IsSkipped()) return;
    std::string error;
    Library = TLv2Library::Open(QVT_LV2_BINARY, error);
    ASSERT_TRUE(Library) << error;
    Plugin = std::make_unique<TLv2Instance>(*Library, 44100.0, 512);
    ASSERT_TRUE(*Plugin);
    ASSERT_EQ(Plugin->SetDescriptionDefaults(QVT_LV2_BUNDLE), 81u);
    Plugin->Run(64);
    Host = NewHostWindow(40, 40);

    LV2_Feature parent{LV2_UI__parent, reinterpret_cast<void*>(Host)};
    LV2_Feature access{LV2_INSTANCE_ACCESS_URI, Plugin->Instance()};
    const LV2_Feature* features[] = {&parent, &access, nullptr};
    Ui = Library->Ui->instantiate(Library->Ui, "https://quivertone.org/lv2/quivertone",
                                  QVT_LV2_BUNDLE, &Write, this, &Widget, features);
    ASSERT_TRUE(Ui);
    Idle = static_cast<const LV2UI_Idle_Interface*>(
        Library->Ui->extension_data(LV2_UI__idleInterface));
    ASSERT_TRUE(Idle);
    ASSERT_TRUE(WaitUntil([&] { return HasEditorChild(Host); }));
    WaitUntil([] { return false; }, 600); // the check buttons' fades come to rest
  }

  void TearDown() override {
    if (Ui) Library->Ui->cleanup(Ui);
    Plugin.reset();
    EditorHost::TearDown();
  }

  static void Write(LV2UI_Controller controller, std::uint32_t port, std::uint32_t size,
                    std::uint32_t format, const void* buffer) {
    ASSERT_EQ(format, 0u);
    ASSERT_EQ(size, sizeof(float));
    static_cast<Lv2Ui*>(controller)->Writes.push_back({port, *static_cast<const float*>(buffer)});
  }

  // Waits, giving the UI its idle calls as a host does.
  bool IdleUntil(const std::function<bool()>& done, int ms = 3000) {
    return WaitUntil(
        [&] {
          Idle->idle(Ui);
          return done();
        },
        ms);
  }

  std::unique_ptr<TLv2Library> Library;
  std::unique_ptr<TLv2Instance> Plugin;
  Window Host = 0;
  LV2UI_Handle Ui = nullptr;
  LV2UI_Widget Widget = nullptr;
  const LV2UI_Idle_Interface* Idle = nullptr;
  std::vector<TWrite> Writes;
};

} // namespace

TEST_F(Lv2Ui, OpensInTheHostsWindowAndADraggedKnobReachesItsControlPort) {
  const auto children = MappedChildren(Host);
  ASSERT_EQ(children.size(), 1u);
  EXPECT_EQ(reinterpret_cast<Window>(Widget), children[0].Id) << "the widget is the editor";

  const float before = Plugin->Controls[piOsc1Level];
  DragIn(Host, 27 + 12, 46 + 12, 0, -20); // "Osc1 Level" up by 20 positions
  ASSERT_TRUE(IdleUntil([&] { return !Writes.empty() && Writes.back().Value != before; }));
  IdleUntil([] { return false; }, 100);
  for (const TWrite& write : Writes) EXPECT_EQ(write.Port, std::uint32_t{piOsc1Level});
  const float dragged = Writes.back().Value;

  // The host moves its port through every value written, a block apart; the
  // plug-in ends on the dragged value.
  for (const TWrite& write : Writes) {
    Plugin->Controls[write.Port] = write.Value;
    Plugin->Run(64);
  }
  EXPECT_EQ(Plugin->Save().ProgramValues()[piOsc1Level], dragged);

  // The host's own change of the port: the editor writes nothing back.
  Writes.clear();
  Plugin->Controls[piOsc1Level] = 0.25f;
  Plugin->Run(64);
  const float value = 0.25f;
  Library->Ui->port_event(Ui, piOsc1Level, sizeof value, 0, &value);
  IdleUntil([] { return false; }, 300);
  EXPECT_TRUE(Writes.empty());
}
