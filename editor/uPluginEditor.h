// TPluginEditor: the bridge between the host's editor calls and the editor window.
#pragma once

#include "host/AEffEditor.h"

class TPlugin;

class TPluginEditor : public AEffEditor {
public:
  explicit TPluginEditor(TPlugin* plugin);
  ~TPluginEditor() override;

  // UI thread.
  bool getRect(ERect** rect) override;
  bool open(void* ptr) override;
  void close() override;
  void idle() override {}
  void update() override {}

  // Any thread: passes a changed parameter on to the open editor window.
  void ParamChanged(int index, float value);

  int OpenCount() const { return OpenCount_; }
  void* ParentWindow() const { return ParentWindow_; }

private:
  TPlugin* Plugin;
  ERect Rect{};
  int OpenCount_ = 0;
  void* ParentWindow_ = nullptr;
};
