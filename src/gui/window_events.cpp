// The main window's start-up texts, the logo, the hidden about box and the
// preview buttons.
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QTimer>

#include "gui/about_box.h"
#include "gui/help_texts.h"
#include "gui/main_window.h"
#include "gui/preview_choice.h"
#include "gui/preview_window.h"

namespace quill {

namespace {

const QColor kCreditBlue(0, 0, 255);

}  // namespace

void MainWindow::setStatusText(const QString& text, const QColor& colour) {
  QPalette palette = m_ui.lbl_Stat->palette();
  palette.setColor(QPalette::WindowText, colour);
  m_ui.lbl_Stat->setPalette(palette);
  m_ui.lbl_Stat->setText(text);
}

void MainWindow::showCredit() {
  setStatusText(authorCredit(), kCreditBlue);
  m_ui.Timer1->start();  // (re)starts the five seconds
}

void MainWindow::Timer1_Timer() {
  setStatusText(readyPrompt(), Qt::black);
  m_ui.txt_help->clear();
  m_ui.Timer1->stop();
}

void MainWindow::aboutKeyStep(QChar key) {
  // Nothing empties the buffer: once "Who" is reached every "?" opens the box.
  if (m_aboutKeys.isEmpty() && key == u'W') m_aboutKeys = QStringLiteral("W");
  if (m_aboutKeys == u"W" && key == u'h') m_aboutKeys = QStringLiteral("Wh");
  if (m_aboutKeys == u"Wh" && key == u'o') m_aboutKeys = QStringLiteral("Who");
  if (m_aboutKeys == u"Who" && key == u'?') showAboutBox();
}

void MainWindow::showAboutBox() {
  if (!m_frmEE) m_frmEE = new FrmEE(this);
  m_frmEE->show();
  m_frmEE->raise();
  m_frmEE->activateWindow();
}

void MainWindow::previewPressed(QObject* button) {
  const RunOptions o = options();
  std::optional<int> picture;
  if (button == m_ui.cmd_PreviewOU) {
    picture = previewForOUs(o);
  } else if (button == m_ui.cmd_PreviewGrp) {
    picture = previewForGroups(o);
  } else {
    picture = previewForFolders(o);
  }
  if (picture) ShowPreview(*picture);
}

void MainWindow::ShowPreview(int number) {
  if (!m_frmPic) m_frmPic = new FrmPic(this);
  // Directly right of the main window, bottom edges level; computed on every
  // press, so the picture follows a moved window.
  const auto place = [this] {
    const QRect main = frameGeometry();
    const int height = m_frmPic->frameGeometry().height();
    m_frmPic->move(main.x() + main.width(), main.y() + main.height() - height);
  };
  place();
  m_frmPic->showPicture(number);
  m_frmPic->show();
  place();  // the window's frame is known once it is shown
}

void MainWindow::hidePreview() {
  if (m_frmPic) m_frmPic->hide();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (watched == m_ui.Picture1) {
    if (type == QEvent::Enter || type == QEvent::MouseMove) {
      showCredit();
    } else if (type == QEvent::MouseButtonDblClick) {
      ask(disclaimerText(), MsgButtons::Ok, MsgIcon::None);
      return true;
    }
  } else if (watched == m_ui.txt_help) {
    // The key goes on to the help box as any other key would.
    if (type == QEvent::KeyPress) {
      for (QChar key : static_cast<QKeyEvent*>(event)->text()) aboutKeyStep(key);
    }
  } else if (watched == m_ui.cmd_PreviewOU || watched == m_ui.cmd_PreviewGrp ||
             watched == m_ui.cmd_PreviewFS) {
    // Any mouse button, or the space bar: the picture shows while it is held.
    const auto* key = type == QEvent::KeyPress || type == QEvent::KeyRelease
                          ? static_cast<QKeyEvent*>(event)
                          : nullptr;
    const bool space = key && key->key() == Qt::Key_Space && !key->isAutoRepeat();
    if (type == QEvent::MouseButtonPress || (space && type == QEvent::KeyPress)) {
      previewPressed(watched);
    } else if (type == QEvent::MouseButtonRelease || (space && type == QEvent::KeyRelease)) {
      hidePreview();
    }
  }
  return QWidget::eventFilter(watched, event);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  // Enter anywhere a control does not take it presses "Go !", as the
  // default button of a dialog would.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    m_ui.cmd_GO->click();
    return;
  }
  QWidget::keyPressEvent(event);
}

void MainWindow::setVisible(bool visible) {
  // Sized before it first shows, so the window system gets the size at once.
  if (visible && !m_fitted && screen()) fitToScreen(screen()->availableGeometry());
  m_fitted = true;
  QWidget::setVisible(visible);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  shareHeight(event->size().height());
  QWidget::resizeEvent(event);
}

}  // namespace quill
