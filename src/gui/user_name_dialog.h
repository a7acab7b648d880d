#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "core/user_name_pattern.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QToolButton;

namespace quill {

// frm_UserName: sets the three user-name patterns with slider pairs, shows
// for each the sentence that explains it and the login name it makes of a
// sample person, and switches the name order. Modeless. The slider
// positions are its own state: Command2 hides it with them kept; the close
// box destroys it, and a new one starts from the initial positions. Both
// ways of closing write the positions back into the patterns.
class FrmUserName : public QDialog {
  Q_OBJECT

 public:
  // patterns must outlive the dialog; beep sounds when a slider is put
  // back (empty: QApplication::beep).
  FrmUserName(UserNamePatterns& patterns, std::function<void()> beep, QWidget* parent);

  // Pattern k (1 to 3) after slider movedIndex (0 left, 1 right) of its
  // pair moved: refuses both counts 0 and a pattern equal to the one above
  // it by moving that slider back (with a beep), then shows the sentence and
  // the sample login name.
  void RefreshPattern(int k, int movedIndex);
  // Copies the six slider positions into the patterns.
  void SaveUserNamePatterns();

  void cmd_Switch_Click();
  void Command2_Click();

  // True once the close box has closed the window; it is then being
  // destroyed and must not be shown again.
  bool isUnloaded() const { return m_unloaded; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Escape hides as Command2 does: there is no way to close without storing.
  void reject() override;

 private:
  void buildControls();
  void refreshAll();
  // Shows pattern k's sentence and sample login name as the sliders stand.
  void showPattern(int k);
  // Moves a slider from code without running its refresh again.
  static void setByCode(QSlider* slider, int value);

  UserNamePatterns& m_patterns;
  std::function<void()> m_beep;
  bool m_unloaded = false;

  std::array<QLineEdit*, 2> m_txtName = {nullptr, nullptr};
  QPushButton* m_cmdSwitch = nullptr;
  QToolButton* m_command2 = nullptr;
  // Per pattern: the slider pair, the explanation and the sample login name.
  std::array<std::array<QSlider*, 2>, 3> m_sliders = {};
  std::array<QLabel*, 3> m_explain = {nullptr, nullptr, nullptr};
  std::array<QLineEdit*, 3> m_sample = {nullptr, nullptr, nullptr};
};

}  // namespace quill
