// The About window: a product text and a logo read from the Data folder at start-up, the logo
// opening the product's address, and the credits of the libraries this build uses.
#pragma once

#include <QDialog>
#include <string>

class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QWidget;

namespace mirelane {

struct Shell;
class TPictureBox;

class TForm2 : public QDialog {
  Q_OBJECT
 public:
  TForm2(Shell& shell, QWidget* parent = nullptr);

  // Reads About.dat, LinkAdr.dat and Logo.jpg; the first error is reported and ends the set-up.
  void FormCreate();
  // Opens the link; says so when no browser could.
  void LogoImageClick();
  // Shows the window modally, centred on the given window.
  void ShowCentredOn(QWidget* owner);

  const std::string& LinkAddress() const { return linkAddress_; }

  QTabWidget* AboutPageControl;
  QWidget* AboutPage;
  QWidget* LibrariesPage;
  QPlainTextEdit* sMemo2;
  TPictureBox* LogoImage;
  QPlainTextEdit* sMemo1;
  QPushButton* CloseButton;

 private:
  Shell& shell_;
  std::string linkAddress_;
};

}  // namespace mirelane
