#include "gui/preview_window.h"

#include "gui/preview_pictures.h"

namespace quill {

FrmPic::FrmPic(QWidget* owner) : QWidget(owner, Qt::Tool) {
  setObjectName(QStringLiteral("frm_Pic"));
  setWindowTitle(QStringLiteral("Preview"));
  // Shown while a button is held: it must not take the focus or the mouse.
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::NoFocus);
  for (int i = 0; i < kPictureCount; ++i) {
    auto* pic = new PreviewPicture(previewTree(i), this);
    pic->setObjectName(QStringLiteral("pic_%1").arg(i));
    pic->move(0, 0);
    m_pic[static_cast<size_t>(i)] = pic;
  }
  setFixedSize(PreviewPicture::kWidth, PreviewPicture::kHeight);
}

void FrmPic::showPicture(int number) {
  PreviewPicture* pic = picture(number);
  if (!pic) return;
  pic->raise();
  setFixedSize(pic->size());  // each picture as wide as its labels need
  m_front = number;
}

PreviewPicture* FrmPic::picture(int number) const {
  if (number < 0 || number >= kPictureCount) return nullptr;
  return m_pic[static_cast<size_t>(number)];
}

}  // namespace quill
