#pragma once

#include <QIcon>
#include <QLabel>
#include <functional>

class QPainter;

namespace quill {

// An icon drawn by draw on a grid x grid canvas whenever it is shown, at the
// size and the screen's scale asked for, so it stays crisp at any scale
// (disabled: faded).
QIcon vectorIcon(std::function<void(QPainter&)> draw, int grid = 32);

// The program's icon (data/quillstead.svg, the one the package installs).
QIcon logoIcon();

// A picture box with the logo filling it, drawn at the screen's resolution.
class LogoLabel : public QLabel {
  Q_OBJECT

 public:
  LogoLabel(int size, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QIcon m_logo;
};

}  // namespace quill
