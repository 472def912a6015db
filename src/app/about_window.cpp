// The About window and its start-up reading of the Data folder.
#include "app/about_window.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

#include "app/controls.h"
#include "app/library_credits.h"
#include "app/picture_io.h"
#include "app/shell.h"
#include "app/shell_text.h"
#include "picture/picture_writer.h"
#include "raster/error.h"

namespace mirelane {

namespace {

QPlainTextEdit* AddMemo(QWidget* page, int left, int top, int width, int height, const QFont& font) {
  auto* memo = new QPlainTextEdit(page);
  memo->setGeometry(left, top, width, height);
  memo->setFont(font);
  QPalette palette = memo->palette();
  palette.setColor(QPalette::Base, QColor(197, 207, 235));
  palette.setColor(QPalette::Text, Qt::black);
  memo->setPalette(palette);
  return memo;
}

// "PNG, JPEG, BMP or WebP"
std::string SaveFormatList() {
  std::string text;
  const std::size_t count = std::size(kSaveFormats);
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) text += i + 1 == count ? " or " : ", ";
    text += SaveFormatName(kSaveFormats[i]);
  }
  return text;
}

}  // namespace

TForm2::TForm2(Shell& shell, QWidget* parent) : QDialog(parent), shell_(shell) {
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setWindowTitle(QString());
  // The two pages, and a row below them for the Close button.
  setFixedSize(309, 226 + 34);
  const QFont tahoma = WindowFont(11);
  setFont(tahoma);
  AboutPageControl = new QTabWidget(this);
  AboutPageControl->setGeometry(0, 0, 309, 226);
  AboutPage = new QWidget;
  LibrariesPage = new QWidget;
  AboutPageControl->addTab(AboutPage, QStringLiteral("About"));
  AboutPageControl->addTab(LibrariesPage, QStringLiteral("Used libraries"));

  sMemo2 = AddMemo(AboutPage, 0, 0, 300, 113, tahoma);
  sMemo2->setPlainText(QStringLiteral("Mirelane Creator"));
  LogoImage = new TPictureBox(AboutPage);
  LogoImage->setGeometry(0, 116, 300, 75);
  LogoImage->setCursor(Qt::PointingHandCursor);
  connect(LogoImage, &TPictureBox::Click, this, &TForm2::LogoImageClick);

  // The window's own face: asking for one the system lacks made the first show wait on font fallback.
  sMemo1 = AddMemo(LibrariesPage, 0, 0, 300, 197, WindowFont(12));
  sMemo1->setReadOnly(true);
  sMemo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  sMemo1->setPlainText(QString::fromStdString(UsedLibrariesText()));

  CloseButton = new QPushButton(QStringLiteral("Close"), this);
  CloseButton->setGeometry(309 - 8 - 80, 226 + 4, 80, 26);
  CloseButton->setDefault(true);
  connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);
  LogoImage->setToolTip(QStringLiteral("Opens the product's home page in the web browser"));
}

void TForm2::FormCreate() {
  RunReported(shell_, this, [this] {
    const std::filesystem::path data = shell_.dataRoot / "Data";
    const std::vector<std::string> about = ReadTextLines(data / "About.dat");
    QStringList lines;
    // The version and the saved formats are filled in from where the program keeps them.
    const QString version = QStringLiteral(MIRELANE_VERSION);
    const QString formats = QString::fromStdString(SaveFormatList());
    for (const std::string& line : about)
      lines << QString::fromStdString(line)
                   .replace(QStringLiteral("%VERSION%"), version)
                   .replace(QStringLiteral("%SAVEFORMATS%"), formats);
    sMemo2->setPlainText(lines.join(QLatin1Char('\n')));
    const std::vector<std::string> link = ReadTextLines(data / "LinkAdr.dat");
    if (link.empty()) throw Error("List index out of bounds (0)");
    linkAddress_ = link.front();
    LogoImage->SetPicture(ReadPictureImage(data / "Logo.jpg"));
  });
}

void TForm2::LogoImageClick() {
  if (linkAddress_.empty()) return;
  if (shell_.dialogs.OpenAddress(QString::fromStdString(linkAddress_))) return;
  ReportError(shell_, this, "No web browser could open the link \"" + linkAddress_ + "\"");
}

void TForm2::ShowCentredOn(QWidget* owner) {
  const QRect frame = owner->frameGeometry();
  move(frame.center() - QPoint(width() / 2, height() / 2));
  exec();
}

}  // namespace mirelane
