#pragma once

#include <QWidget>
#include <vector>

#include "gui/preview_trees.h"

namespace quill {

// One picture box of the preview window: a tree of icons and names, drawn
// with QPainter; 198 x 307 pixels, or wider where a label needs it.
class PreviewPicture : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kWidth = 198;
  static constexpr int kHeight = 307;

  PreviewPicture(std::vector<PreviewNode> tree, QWidget* parent);

  const std::vector<PreviewNode>& tree() const { return m_tree; }

  // The number of lines the picture draws (folded children not counted).
  int lineCount() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<PreviewNode> m_tree;
};

}  // namespace quill
