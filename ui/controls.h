// Wrappers of the common controls a dialog binds with DDX_Control.
#pragma once

#include "platform/progress.h"
#include "ui/wnd.h"

class CButton : public CWnd {
 public:
  void SetCheck(int state);
  int GetCheck() const;
};

// The progress bar (msctls_progress32), driven by its PBM_* messages.
class CProgressCtrl : public CWnd, public platform::ProgressBar {
 public:
  // The control keeps 16-bit limits (PBM_SETRANGE).
  void SetRange(int minimum, int maximum) override;
  void SetStep(int step) override;
  void SetPos(int position) override;
  void StepIt() override;
  int GetPos() override;
  int GetMaximum() override;
};
