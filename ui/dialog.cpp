#include "ui/dialog.h"

#include <iterator>

#include "platform/message_box.h"

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  if (control.GetSafeHwnd()) return;
  control.Attach(dx->m_pDlgWnd->GetDlgItem(id));
}

void DDX_Check(CDataExchange* dx, int id, int& value) {
  if (dx->m_bSaveAndValidate) {
    value = dx->m_pDlgWnd->IsDlgButtonChecked(id);
  } else {
    dx->m_pDlgWnd->CheckDlgButton(id, value);
  }
}

void DDX_Text(CDataExchange* dx, int id, std::string& value) {
  if (dx->m_bSaveAndValidate) {
    value = dx->m_pDlgWnd->GetItemText(id);
  } else {
    dx->m_pDlgWnd->SetItemText(id, value);
  }
}

CDialog::CDialog(const platform::DialogTemplate& dialogTemplate, CWnd* parent)
    : template_(dialogTemplate), parent_(parent) {}

const MessageMap* CDialog::ThisMessageMap() {
  static constexpr MessageMapEntry rows[] = {
      MessageRow<&CDialog::HandleInitDialog>(platform::kWmInitDialog),
      CommandRow<&CDialog::OnOK>(platform::kBnClicked, platform::kIdOk),
      CommandRow<&CDialog::OnCancel>(platform::kBnClicked, platform::kIdCancel),
  };
  static const MessageMap map{CWnd::ThisMessageMap(), rows, std::size(rows)};
  return &map;
}

const MessageMap* CDialog::GetMessageMap() const { return ThisMessageMap(); }

std::intptr_t CDialog::DoModal() {
  if (m_hWnd) return -1;
  binding_ = Binding::Driven;
  std::intptr_t result =
      platform::GetWindowHost().RunModalDialog(template_, parent_ ? parent_->GetSafeHwnd() : nullptr, AsSink());
  m_hWnd = nullptr;
  binding_ = Binding::None;
  return result;
}

void CDialog::EndDialog(std::intptr_t result) { platform::GetWindowHost().EndDialog(m_hWnd, result); }

bool CDialog::UpdateData(bool saveAndValidate) {
  CDataExchange dx(this, saveAndValidate);
  DoDataExchange(&dx);
  return true;
}

void CDialog::DoDataExchange(CDataExchange*) {}

std::intptr_t CDialog::HandleInitDialog(std::uintptr_t, std::intptr_t) { return OnInitDialog() ? 1 : 0; }

bool CDialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void CDialog::OnOK() {
  UpdateData(true);
  EndDialog(platform::kIdOk);
}

void CDialog::OnCancel() { EndDialog(platform::kIdCancel); }
