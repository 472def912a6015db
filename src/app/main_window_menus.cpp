// The main window's menu bar: every action with its shortcut, where the desktop's conventions put
// them. The shortcuts belong to the actions, so they work whatever control has the focus.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>

#include "app/controls.h"
#include "app/main_window.h"

namespace mirelane {

void TForm1::CreateMenus() {
  MenuBar = new QMenuBar(this);
  const auto add = [this](QMenu* menu, const QString& text, QList<QKeySequence> keys,
                          void (TForm1::*operation)()) {
    QAction* action = menu->addAction(text);
    action->setShortcuts(keys);
    connect(action, &QAction::triggered, this, operation);
    return action;
  };
  QMenu* file = MenuBar->addMenu(QStringLiteral("&File"));
  add(file, QStringLiteral("&Open Picture for This Slot") + QChar(0x2026),
      {QKeySequence(Qt::CTRL | Qt::Key_O)}, &TForm1::LayerSourceImgClick);
  file->addSeparator();
  add(file, QStringLiteral("&Save"), {QKeySequence(Qt::CTRL | Qt::Key_S)}, &TForm1::SaveAgainClick);
  add(file, QStringLiteral("Save Picture &As") + QChar(0x2026),
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)}, &TForm1::SaveButtonClick);
  file->addSeparator();
  add(file, QStringLiteral("&Design a Shot") + QChar(0x2026), {QKeySequence(Qt::CTRL | Qt::Key_D)},
      &TForm1::DesignButtonClick);
  file->addSeparator();
  QAction* quit = file->addAction(QStringLiteral("&Quit"));
  quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  connect(quit, &QAction::triggered, this, &QWidget::close);

  QMenu* edit = MenuBar->addMenu(QStringLiteral("&Edit"));
  UndoAction = add(edit, QStringLiteral("&Undo"), {QKeySequence(Qt::CTRL | Qt::Key_Z)}, &TForm1::UndoClick);
  RedoAction = add(edit, QStringLiteral("&Redo"),
                   {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)},
                   &TForm1::RedoClick);
  edit->addSeparator();
  add(edit, QStringLiteral("&Copy Shot"), {QKeySequence(Qt::CTRL | Qt::Key_C)}, &TForm1::CopyClick);

  QMenu* view = MenuBar->addMenu(QStringLiteral("&View"));
  add(view, QStringLiteral("&Fit"), {QKeySequence(Qt::CTRL | Qt::Key_0)}, &TForm1::FitClick);
  add(view, QStringLiteral("&Actual Size"), {QKeySequence(Qt::CTRL | Qt::Key_1)}, &TForm1::ActualSizeClick);
  view->addSeparator();
  connect(view->addAction(QStringLiteral("&Previous Template")), &QAction::triggered, this,
          [this] { TemplateUpDown->Step(-1); });
  view->actions().back()->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
  connect(view->addAction(QStringLiteral("&Next Template")), &QAction::triggered, this,
          [this] { TemplateUpDown->Step(+1); });
  view->actions().back()->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));
  add(view, QStringLiteral("&Render Again"), {QKeySequence(Qt::Key_F5)}, &TForm1::ApplyTempButtonClick);

  QMenu* help = MenuBar->addMenu(QStringLiteral("&Help"));
  add(help, QStringLiteral("&About Mirelane Creator"), {}, &TForm1::AboutToolButtonClick);
}

}  // namespace mirelane
