// TPluginEditor: the bridge between the host's editor calls and the editor
// window. The form lives on the UI thread (see platform/core/uUiRuntime.h):
// open and close hand their work to it and wait, bounded; every other host
// call returns at once. Parameter changes made on other threads wait in
// latest-value slots until the UI thread shows them.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "editor/uParamSlots.h"
#include "host/AEffEditor.h"

class TPlugin;
class TFrmQuivertone;
namespace qvt {
class TUiRuntime;
}

class TPluginEditor : public AEffEditor {
public:
  explicit TPluginEditor(TPlugin* plugin);
  ~TPluginEditor() override;

  // Host's GUI thread.
  bool getRect(ERect** rect) override;
  bool open(void* ptr) override;
  void close() override;
  void idle() override {} // the UI thread pumps by itself
  // Any thread: the bank or the program's name changed; the open form
  // refills its preset list on the UI thread.
  void update() override;

  // Any thread: passes a changed parameter on to the open editor window.
  void ParamChanged(int index, float value);

  int OpenCount() const { return FOpenCount.load(); }
  void* ParentWindow() const { return FParentWindow.load(); }
  // UI thread: the form while it exists.
  TFrmQuivertone* Form() const { return FForm; }

  // How long open and close wait for the UI thread to take their work.
  static constexpr unsigned kUiTimeoutMs = 2000;

private:
  bool OpenOnUiThread(void* parent);
  // Frees the form when `all` or the count reaches 0; answers whether it will go.
  bool CloseOnUiThread(bool all);
  void ShowPendingParams();
  void WaitUntilFormGone(bool bounded);
  void ReleaseRuntime();

  TPlugin* Plugin;
  ERect Rect{};
  std::atomic<int> FOpenCount{0};
  std::atomic<void*> FParentWindow{nullptr};
  std::shared_ptr<qvt::TUiRuntime> FRuntime; // host's GUI thread
  TFrmQuivertone* FForm = nullptr;            // UI thread
  TFrmQuivertone* FClosingForm = nullptr;     // UI thread: the last form closed, while FLife says it lives

  // Hand-over of parameter changes from other threads.
  qvt::TParamSlots FPending;
  std::atomic<qvt::TUiRuntime*> FWakeTarget{nullptr}; // set while the form takes updates
  std::atomic<int> FWakers{0};                         // ParamChanged calls using it
  std::atomic<bool> FWakePending{false};

  // The form's end, signalled by the UI thread. Shared with the signal, which
  // may come after the bridge is gone where the host's thread is the UI thread.
  struct TFormLife {
    std::mutex Lock;
    std::condition_variable Changed;
    bool Alive = false;
  };
  std::shared_ptr<TFormLife> FLife = std::make_shared<TFormLife>();
};
