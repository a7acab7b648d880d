#include "gui/logo.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace quill {

QPixmap drawLogo(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);

  // Badge.
  QLinearGradient badge(0, 0, 0, 64);
  badge.setColorAt(0, QColor(40, 90, 200));
  badge.setColorAt(1, QColor(15, 45, 120));
  p.setPen(QPen(QColor(10, 30, 80), 1.5));
  p.setBrush(badge);
  p.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);

  // A tree of three nodes: the domain and two containers.
  p.setPen(QPen(QColor(230, 236, 250), 2.5, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(16, 20), QPointF(16, 46));
  p.drawLine(QPointF(16, 32), QPointF(26, 32));
  p.drawLine(QPointF(16, 46), QPointF(26, 46));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(250, 200, 60));
  p.drawRect(QRectF(10, 12, 12, 9));
  p.drawRect(QRectF(26, 28, 11, 8));
  p.drawRect(QRectF(26, 42, 11, 8));

  // The quill.
  QPainterPath feather;
  feather.moveTo(56, 6);
  feather.cubicTo(44, 8, 34, 22, 32, 40);
  feather.cubicTo(40, 34, 52, 24, 56, 6);
  p.setBrush(QColor(255, 255, 255, 235));
  p.setPen(QPen(QColor(200, 210, 235), 1));
  p.drawPath(feather);
  p.setPen(QPen(QColor(255, 255, 255), 1.5, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(33, 39), QPointF(28, 52));
  return pixmap;
}

}  // namespace quill
