// Small controls of the main window that Qt lacks in this form: a slider that reports the mouse
// release, a horizontal stepper, a colour swatch button, a picture area and a captioned panel.
#pragma once

#include <QColor>
#include <QFrame>
#include <QIcon>
#include <QImage>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QWidget>

#include "raster/color32.h"

class QFontMetrics;
class QLabel;
class QLineEdit;
class QToolButton;

namespace mirelane {

class Dialogs;

// The program's icon, drawn like data/desktop/mirelane-creator.svg (Qt reads no SVG without an extra module).
QIcon ApplicationIcon();

// 0x00BBGGRR (negative: a system colour) to and from QColor.
QColor QColorFromTColor(TColor color);
TColor TColorFromQColor(const QColor& color);

// A horizontal slider without tick marks; MouseUp fires when the mouse button pressed on it (on
// the handle or the groove) is released, so a drag ends in one change; KeyOrWheelMove fires after
// each key press or wheel turn that moved the handle.
class TTrackBar : public QSlider {
  Q_OBJECT
 public:
  TTrackBar(int minimum, int maximum, int position, QWidget* parent);
  // Moves the handle as a key press would: KeyOrWheelMove fires when the position changed.
  void SetPositionByUser(int position);

 signals:
  void MouseUp();
  void KeyOrWheelMove();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
};

// A spin box that takes any whole number typed, also one outside its range, and brings it into
// the range on Enter or when the field is left; a plain spin box drops the digit that would leave
// the range, so 100 typed into a -50 to 50 box reads 10. Undo and redo keys, and copy with nothing
// selected, are left to the window: they undo settings and copy the shot.
class TClampingSpinBox : public QSpinBox {
 public:
  using QSpinBox::QSpinBox;

 protected:
  bool event(QEvent* event) override;
  QValidator::State validate(QString& text, int& pos) const override;
  void fixup(QString& text) const override;
};

// The editable number beside a slider. It follows the slider as it moves; a number typed into it
// (taken at Enter or when the field is left) or stepped with the arrow keys or wheel moves the
// slider as a key press on the slider would.
class TSliderValue : public TClampingSpinBox {
 public:
  TSliderValue(TTrackBar* bar, QWidget* parent);
  TTrackBar* Bar() const { return bar_; }
  // Shows the slider's position, for a slider set from the program with its signals blocked.
  void ShowPosition();

 private:
  TTrackBar* bar_;
};

// A number field with arrows whose Change fires at every change of its text: each typed
// character (also while the text is not yet a value in range), each step, and the correction
// made when the field loses the focus.
class TSpinEdit : public TClampingSpinBox {
  Q_OBJECT
 public:
  TSpinEdit(int minimum, int maximum, int value, QWidget* parent);
  QLineEdit* Editor() const { return lineEdit(); }

 signals:
  void Change();

 private:
  void TextMaybeChanged();
  QString lastText_;
};

// Two arrow buttons stepping a position within a range, without wrap-around. Click fires after
// the user stepped; setting the position from the program fires nothing.
class THorizontalUpDown : public QWidget {
  Q_OBJECT
 public:
  THorizontalUpDown(int minimum, int maximum, int position, QWidget* parent);
  int Position() const { return position_; }
  void SetPosition(int position);
  // A new range; the position is brought into it. Fires nothing.
  void SetRange(int minimum, int maximum);
  int Minimum() const { return minimum_; }
  int Maximum() const { return maximum_; }
  QToolButton* PreviousButton() const { return previous_; }
  QToolButton* NextButton() const { return next_; }
  // Steps as a user click on the arrow would (+1 or -1); returns whether the position changed.
  bool Step(int delta);

 signals:
  void Click();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  int minimum_;
  int maximum_;
  int position_;
  QToolButton* previous_;
  QToolButton* next_;
};

// A button showing a colour swatch; clicking opens the colour chooser preset with its colour,
// and a confirmed choice (even the same colour) sets the colour and fires Change.
class TColorSelect : public QPushButton {
  Q_OBJECT
 public:
  TColorSelect(Dialogs& dialogs, int swatchSize, TColor color, QWidget* parent);
  TColor ColorValue() const { return color_; }
  // From the program: fires nothing.
  void SetColorValue(TColor color);

 signals:
  void Change();

 private:
  void ChooseColor();
  Dialogs& dialogs_;
  int swatchSize_;
  TColor color_;
};

// Shows a picture as large as fits its area with its proportions kept, centred, or nothing
// (letting its parent show through).
// Click fires on a mouse release inside, and on Enter or Space while it has the focus (it takes
// the focus only when given a focus policy); FileDropped fires when a local file is dropped on it.
class TPictureBox : public QWidget {
  Q_OBJECT
 public:
  explicit TPictureBox(QWidget* parent);
  const QImage& Picture() const { return picture_; }
  void SetPicture(const QImage& picture);
  void ClearPicture() { SetPicture(QImage()); }
  void SetAcceptsFiles(bool accepts) { setAcceptDrops(accepts); }

 signals:
  void Click();
  void PictureChanged();
  void FileDropped(const QString& fileName);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  QImage picture_;
};

// A framed panel whose own caption is drawn beneath its children, centred and wrapped in the
// caption area (the whole panel unless set), over the fill colour when one is set; caption and
// fill are hidden while something covers that area.
class TCaptionPanel : public QFrame {
 public:
  TCaptionPanel(const QString& caption, QWidget* parent);
  QString Caption() const { return caption_; }
  bool CaptionShown() const { return captionShown_; }
  void SetCaptionShown(bool shown);
  void SetCaptionArea(const QRect& area);
  // An invalid colour: no fill.
  void SetCaptionFill(const QColor& fill);
  QColor CaptionFill() const { return fill_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString caption_;
  QRect captionArea_;
  QColor fill_;
  bool captionShown_ = true;
};

// The text broken into lines no wider than width: between words where it can, inside a word
// only when the word alone is wider.
QStringList WrapToWidth(const QString& text, const QFontMetrics& metrics, int width);

// Shows text in the label wrapped to its width, at maxPixelSize unless the lines then overflow its
// height; then at the largest size down to a still readable one whose lines fit. The whole text
// is also the tooltip, for what may still not fit at that smallest size.
void SetWrappedCaption(QLabel* label, const QString& text, int maxPixelSize);

// The window font: Tahoma where installed, else the closest narrow sans-serif face.
QFont WindowFont(int pixelSize);

}  // namespace mirelane
