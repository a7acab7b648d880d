#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace quill {

// frm_EE, the about box: the program, its version, what it does and the
// disclaimer. Modeless; the main window creates it on first use and keeps it.
class FrmEE : public QDialog {
  Q_OBJECT

 public:
  explicit FrmEE(QWidget* parent);

  // Puts a few lines about this computer and Qt into lblDescription.
  void cmdSysInfo_Click();

 private:
  QLabel* m_lblDescription = nullptr;
};

}  // namespace quill
