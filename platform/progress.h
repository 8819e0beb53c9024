// The progress-bar messages the install sends (PBM_SETRANGE, PBM_SETSTEP,
// PBM_SETPOS, PBM_STEPIT, PBM_GETPOS, PBM_GETRANGE). The dialog's progress
// control implements it; tests use a recording one.
#pragma once

namespace platform {

class ProgressBar {
 public:
  virtual ~ProgressBar() = default;
  virtual void SetRange(int minimum, int maximum) = 0;
  virtual void SetStep(int step) = 0;
  virtual void SetPos(int position) = 0;
  // Advances by the step. Like the Windows control, a bar stepped past its
  // maximum starts again from its minimum.
  virtual void StepIt() = 0;
  virtual int GetPos() = 0;
  virtual int GetMaximum() = 0;
};

}  // namespace platform
