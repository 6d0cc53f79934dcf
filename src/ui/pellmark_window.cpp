#include "ui/pellmark_window.h"

#include <QApplication>
#include <QLabel>
#include <QMenuBar>

namespace pellmark::ui {

TPellmark::TPellmark(std::filesystem::path club_folder, QWidget* parent)
    : QMainWindow(parent), club_folder_(std::move(club_folder)) {
  setObjectName(QStringLiteral("Pellmark"));
  setWindowTitle(QStringLiteral("Pellmark"));
  BuildMenus();
  auto* placeholder = new QLabel(QString::fromStdString(club_folder_.string()), this);
  placeholder->setAlignment(Qt::AlignCenter);
  setCentralWidget(placeholder);
  resize(1280, 800);
}

void TPellmark::BuildMenus() {
  QMenu* file = menuBar()->addMenu(tr("&File"));
  QAction* exit = file->addAction(tr("E&xit"), this, &QWidget::close);
  exit->setObjectName(QStringLiteral("exit"));
  exit->setShortcut(QKeySequence::Quit);
}

}  // namespace pellmark::ui
