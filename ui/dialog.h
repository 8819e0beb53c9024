// Modal dialogs on our window layer: a dialog from a template, its message
// map (OK and Cancel routed to OnOK / OnCancel) and data exchange between the
// controls and the dialog object's members.
#pragma once

#include <cstdint>
#include <string>

#include "platform/window_host.h"
#include "ui/wnd.h"

// The direction of one exchange: from the controls into the members
// (m_bSaveAndValidate true) or from the members to the controls.
class CDataExchange {
 public:
  CDataExchange(CWnd* dialog, bool saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
  CWnd* m_pDlgWnd;
  bool m_bSaveAndValidate;
};

// Binds `control` to the dialog's control `id` (once; later exchanges leave
// the binding alone).
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
// The check state of a button: 0 unchecked, 1 checked, 2 indeterminate.
void DDX_Check(CDataExchange* dx, int id, int& value);
// The whole text of a control.
void DDX_Text(CDataExchange* dx, int id, std::string& value);

class CDialog : public CWnd {
 public:
  explicit CDialog(const platform::DialogTemplate& dialogTemplate, CWnd* parent = nullptr);

  static const MessageMap* ThisMessageMap();
  const MessageMap* GetMessageMap() const override;

  // Creates the dialog, runs it until EndDialog and returns its result (-1
  // when it could not be created).
  virtual std::intptr_t DoModal();
  void EndDialog(std::intptr_t result);

  // Exchanges the data in one direction; true when it succeeded.
  bool UpdateData(bool saveAndValidate = true);

  // Called once the window and its controls exist; exchanges the data to the
  // controls. Returning true lets the dialog manager set the initial focus.
  virtual bool OnInitDialog();
  // Reads the controls back and ends the dialog with 1 (IDOK).
  virtual void OnOK();
  // Ends the dialog with 2 (IDCANCEL).
  virtual void OnCancel();

 protected:
  virtual void DoDataExchange(CDataExchange* dx);

 private:
  std::intptr_t HandleInitDialog(std::uintptr_t wParam, std::intptr_t lParam);

  const platform::DialogTemplate& template_;
  CWnd* parent_;
};
