#include "gui/preview_pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace quill {

namespace {

constexpr int kLineHeight = 14;
constexpr int kIndent = 16;
constexpr int kMargin = 6;
constexpr int kLeft = 14;  // room for a folded node's box left of the first column
constexpr int kIconSize = 12;

// One drawn line: the node, its depth, and for each level above it whether
// a connector still runs down there.
struct Line {
  const PreviewNode* node;
  int depth;
  bool last;
  std::vector<bool> openLevels;
};

void flatten(const std::vector<PreviewNode>& nodes, int depth, std::vector<bool> open,
             std::vector<Line>& out) {
  for (size_t i = 0; i < nodes.size(); ++i) {
    const bool last = i + 1 == nodes.size();
    out.push_back({&nodes[i], depth, last, open});
    if (!nodes[i].collapsed && !nodes[i].children.empty()) {
      std::vector<bool> below = open;
      below.push_back(!last);
      flatten(nodes[i].children, depth + 1, below, out);
    }
  }
}

void drawFolder(QPainter& p, const QRectF& r, const QColor& fill) {
  QPainterPath path;
  path.moveTo(r.left(), r.top() + 2);
  path.lineTo(r.left() + r.width() * 0.4, r.top() + 2);
  path.lineTo(r.left() + r.width() * 0.5, r.top() + 4);
  path.lineTo(r.right(), r.top() + 4);
  path.lineTo(r.right(), r.bottom());
  path.lineTo(r.left(), r.bottom());
  path.closeSubpath();
  p.setPen(QPen(fill.darker(160), 1));
  p.setBrush(fill);
  p.drawPath(path);
}

void drawPerson(QPainter& p, const QPointF& at, double scale, const QColor& colour) {
  p.setPen(QPen(colour.darker(150), 0.8));
  p.setBrush(colour);
  p.drawEllipse(QPointF(at.x(), at.y() + 2.5 * scale), 2.3 * scale, 2.3 * scale);
  p.drawRoundedRect(QRectF(at.x() - 3.5 * scale, at.y() + 5.5 * scale, 7 * scale, 5 * scale),
                    2 * scale, 2 * scale);
}

void drawIcon(QPainter& p, const QRectF& r, PreviewIcon icon) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  switch (icon) {
    case PreviewIcon::Container:
      drawFolder(p, r, QColor(200, 205, 215));
      break;
    case PreviewIcon::OrganizationalUnit:
      drawFolder(p, r, QColor(245, 205, 90));
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(40, 90, 200));
      p.drawRect(QRectF(r.left() + 3, r.top() + 6, r.width() - 6, 3));
      break;
    case PreviewIcon::Group:
      drawPerson(p, QPointF(r.left() + 4, r.top()), 1.0, QColor(90, 150, 220));
      drawPerson(p, QPointF(r.left() + 8.5, r.top() + 1), 1.0, QColor(60, 170, 120));
      break;
    case PreviewIcon::User:
      drawPerson(p, QPointF(r.center().x(), r.top()), 1.1, QColor(90, 150, 220));
      break;
    case PreviewIcon::Folder:
      drawFolder(p, r, QColor(245, 205, 90));
      break;
    case PreviewIcon::SharedFolder:
      drawFolder(p, r, QColor(245, 205, 90));
      // The shared mark: a blue hand under the folder's corner.
      p.setPen(QPen(QColor(20, 50, 150), 0.8));
      p.setBrush(QColor(60, 110, 230));
      p.drawRoundedRect(QRectF(r.left() - 1, r.bottom() - 4, 7, 4), 1.5, 1.5);
      break;
    case PreviewIcon::More:
      break;
  }
  p.restore();
}

// Where line's label begins.
int textLeft(const Line& line) {
  const int x = kLeft + line.depth * kIndent;
  return line.node->icon != PreviewIcon::More ? x + kIconSize + 4 : x + 2;
}

}  // namespace

PreviewPicture::PreviewPicture(std::vector<PreviewNode> tree, QWidget* parent)
    : QWidget(parent), m_tree(std::move(tree)) {
  QFont small = font();
  small.setPixelSize(11);
  setFont(small);
  // At least the usual picture; wider or taller where a label or the lines
  // need it, measured in the font they are drawn in.
  std::vector<Line> lines;
  flatten(m_tree, 0, {}, lines);
  int width = kWidth;
  for (const Line& line : lines) {
    width = std::max(width,
                     textLeft(line) + fontMetrics().horizontalAdvance(line.node->label) + kMargin);
  }
  const int height = static_cast<int>(lines.size()) * kLineHeight + 2 * kMargin;
  setFixedSize(width, std::max(kHeight, height));
  setAutoFillBackground(false);
}

int PreviewPicture::lineCount() const {
  std::vector<Line> lines;
  flatten(m_tree, 0, {}, lines);
  return static_cast<int>(lines.size());
}

void PreviewPicture::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  p.setPen(QColor(160, 160, 160));
  p.drawRect(rect().adjusted(0, 0, -1, -1));

  std::vector<Line> lines;
  flatten(m_tree, 0, {}, lines);
  const QPen connector(QColor(150, 150, 150), 1, Qt::DotLine);
  for (size_t i = 0; i < lines.size(); ++i) {
    const Line& line = lines[i];
    const int top = kMargin + static_cast<int>(i) * kLineHeight;
    const int middle = top + kLineHeight / 2;
    const int x = kLeft + line.depth * kIndent;

    // Connectors: the running verticals of the levels above, then this
    // node's own elbow.
    p.setPen(connector);
    for (size_t level = 1; level < line.openLevels.size(); ++level) {
      if (line.openLevels[level]) {
        const int lx = kLeft + static_cast<int>(level - 1) * kIndent + kIconSize / 2;
        p.drawLine(lx, top, lx, top + kLineHeight);
      }
    }
    if (line.depth > 0) {
      const int px = x - kIndent + kIconSize / 2;
      p.drawLine(px, top, px, line.last ? middle : top + kLineHeight);
      p.drawLine(px, middle, x, middle);
    }

    if (line.node->collapsed) {
      // A folded node: a small box with a plus on its connector.
      const QRect box(x - 9, middle - 4, 8, 8);
      p.setPen(QColor(120, 120, 120));
      p.setBrush(Qt::white);
      p.drawRect(box);
      p.drawLine(box.left() + 2, middle, box.right() - 2, middle);
      p.drawLine(box.center().x(), box.top() + 2, box.center().x(), box.bottom() - 2);
    }

    if (line.node->icon != PreviewIcon::More)
      drawIcon(p, QRectF(x, middle - kIconSize / 2, kIconSize, kIconSize), line.node->icon);
    p.setPen(Qt::black);
    const int textX = textLeft(line);
    p.drawText(QRect(textX, top, width() - textX - 2, kLineHeight),
               Qt::AlignVCenter | Qt::AlignLeft, line.node->label);
  }
}

}  // namespace quill
