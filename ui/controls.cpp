#include "ui/controls.h"

void CButton::SetCheck(int state) { Send(platform::kBmSetCheck, static_cast<std::uintptr_t>(state)); }

int CButton::GetCheck() const { return static_cast<int>(Send(platform::kBmGetCheck)); }

void CButton::SetShield(bool shown) { Send(platform::kBcmSetShield, 0, shown ? 1 : 0); }

void CProgressCtrl::SetRange(int minimum, int maximum) {
  Send(platform::kPbmSetRange, 0, static_cast<std::intptr_t>(platform::MakeWParam(minimum, maximum)));
}

void CProgressCtrl::SetStep(int step) {
  step_ = step;
  Send(platform::kPbmSetStep, static_cast<std::uintptr_t>(step));
}

void CProgressCtrl::SetPos(int position) { Send(platform::kPbmSetPos, static_cast<std::uintptr_t>(position)); }

void CProgressCtrl::StepIt() { Send(platform::kPbmStepIt); }

int CProgressCtrl::GetPos() { return static_cast<int>(Send(platform::kPbmGetPos)); }

// PBM_GETRANGE with wParam false answers the high limit.
int CProgressCtrl::GetMaximum() { return static_cast<int>(Send(platform::kPbmGetRange, 0, 0)); }

void CProgressCtrl::StepUpToFull() {
  const int maximum = GetMaximum();
  if (GetPos() + step_ < maximum) {
    StepIt();
  } else {
    SetPos(maximum);
  }
}
