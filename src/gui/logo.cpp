#include "gui/logo.h"

#include <QIconEngine>
#include <QPainter>
#include <QSvgRenderer>
#include <memory>

namespace quill {

namespace {

class VectorIconEngine : public QIconEngine {
 public:
  VectorIconEngine(std::function<void(QPainter&)> draw, int grid)
      : m_draw(std::move(draw)), m_grid(grid) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    if (mode == QIcon::Disabled) painter->setOpacity(0.4);
    painter->translate(rect.topLeft());
    painter->scale(rect.width() / double(m_grid), rect.height() / double(m_grid));
    m_draw(*painter);
    painter->restore();
  }

  // Asked for in device pixels (size times the screen's scale): drawn there.
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paint(&painter, QRect(QPoint(), size), mode, state);
    painter.end();
    return QPixmap::fromImage(image);
  }

  QIconEngine* clone() const override { return new VectorIconEngine(m_draw, m_grid); }

 private:
  std::function<void(QPainter&)> m_draw;
  int m_grid;
};

}  // namespace

QIcon vectorIcon(std::function<void(QPainter&)> draw, int grid) {
  return QIcon(new VectorIconEngine(std::move(draw), grid));
}

QIcon logoIcon() {
  auto svg = std::make_shared<QSvgRenderer>(QStringLiteral(":/quillstead/quillstead.svg"));
  return vectorIcon([svg](QPainter& p) { svg->render(&p, QRectF(0, 0, 64, 64)); }, 64);
}

LogoLabel::LogoLabel(int size, QWidget* parent) : QLabel(parent), m_logo(logoIcon()) {
  setFixedSize(size, size);
}

void LogoLabel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  m_logo.paint(&p, contentsRect());
}

}  // namespace quill
