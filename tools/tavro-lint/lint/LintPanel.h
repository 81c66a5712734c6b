#pragma once
// The built bundle read the way the editor reads it: its layout resources through
// the layout reader onto a headless panel of a plug-in with the panel's 798
// parameters, at one panel scale, over the editor's panel background. The reader's log lines are kept, and the layout
// text is kept deciphered so findings can name their line.
//
// threads: main (one panel per object).

#include <memory>
#include <string>
#include <vector>

#include "Framework/IModuleBase.h"
#include "layout/UIConfigManager.h"

class IGraphicsMac;

// A plug-in with parameters and nothing else; the reader initialises them.
class LintPlug : public IModuleBase {
public:
  explicit LintPlug(int nParams);
  void BeginInformHostOfParamChange(int) override {}
  void InformHostOfParamChange(int, double) override {}
  void EndInformHostOfParamChange(int) override {}
  void InformHostOfProgramChange() override {}
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return 120.0; }
  void GetTimeSig(int* n, int* d) override { *n = *d = 4; }
  void GetTime(ITimeInfo*) override {}
  void ResizeGraphics(int, int) override {}
  bool SendMidiVST(IMidiMsg*) override { return false; }
  bool SendMidiMsg(IMidiMsg*) override { return false; }
};

class LintPanel {
public:
  // bundleDir: a Tavro.component folder (Info.plist and Resources/).
  LintPanel(const std::string& bundleDir, double scale);
  ~LintPanel();
  LintPanel(const LintPanel&) = delete;
  LintPanel& operator=(const LintPanel&) = delete;

  double scale() const { return scale_; }
  IModuleBase& plug() { return *plug_; }
  IGraphicsMac& graphics() { return *graphics_; }
  UIConfigManager& manager() { return *manager_; }
  const std::vector<std::string>& log() const { return log_; }
  // The deciphered resource texts, up to their first zero byte ("" when absent).
  const std::string& layoutText() const { return layoutText_; }
  const std::string& sysexText() const { return sysexText_; }
  const std::string& resourcesDir() const { return resourcesDir_; }

private:
  double scale_;
  std::string resourcesDir_;
  std::unique_ptr<LintPlug> plug_;
  IGraphicsMac* graphics_ = nullptr;  // owned by the plug once attached
  std::unique_ptr<UIConfigManager> manager_;
  std::vector<std::string> log_;
  std::string layoutText_;
  std::string sysexText_;
};
