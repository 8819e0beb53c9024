// Wrappers of the common controls a dialog binds with DDX_Control.
#pragma once

#include "ui/wnd.h"

class CButton : public CWnd {
 public:
  void SetCheck(int state);
  int GetCheck() const;
  void SetShield(bool shown);
};

// The progress bar (msctls_progress32), driven by its PBM_* messages.
class CProgressCtrl : public CWnd {
 public:
  // The control keeps 16-bit limits (PBM_SETRANGE).
  void SetRange(int minimum, int maximum);
  void SetStep(int step);
  void SetPos(int position);
  // Advances by the step; like the Windows control, a bar stepped past its
  // maximum starts again from its minimum.
  void StepIt();
  int GetPos();
  int GetMaximum();

  // Steps once, but never past the maximum: the control, stepped past it,
  // would start again from empty.
  void StepUpToFull();

 private:
  int step_ = 10;  // the control's own until SetStep
};
