#pragma once

#include <QWidget>
#include <array>

namespace quill {

class PreviewPicture;

// frm_Pic: the picture window of the preview buttons. It holds the control
// array pic of 27 pictures at the same place (objects pic_0 to pic_26);
// showing one brings it to the front. It has no logic of its own.
class FrmPic : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kPictureCount = 27;

  // owner: the main window; the picture window stays above it.
  explicit FrmPic(QWidget* owner);

  // Brings picture number to the front; a number out of range changes nothing.
  void showPicture(int number);

  // The picture in front; -1 before the first showPicture.
  int frontPicture() const { return m_front; }

  PreviewPicture* picture(int number) const;

 private:
  std::array<PreviewPicture*, kPictureCount> m_pic{};
  int m_front = -1;
};

}  // namespace quill
