#include "ui/help_window.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

// The help pages are compiled into the library; a static library needs its
// resources registered by hand.
static void RegisterHelpPages() { Q_INIT_RESOURCE(help); }

namespace pellmark::ui {
namespace {

QUrl TopicUrl(int topic) { return QUrl(QStringLiteral("qrc:/help/%1.html").arg(topic)); }

}  // namespace

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  RegisterHelpPages();
  setObjectName(QStringLiteral("helpwindow"));
  setWindowTitle(tr("Pellmark Help"));

  browser_ = new QTextBrowser(this);
  browser_->setObjectName(QStringLiteral("helpbrowser"));
  browser_->setOpenLinks(true);
  browser_->setSearchPaths({QStringLiteral(":/help")});

  auto* back = new QPushButton(tr("&Back"), this);
  back->setObjectName(QStringLiteral("helpback"));
  back->setEnabled(false);
  auto* contents = new QPushButton(tr("&Contents"), this);
  contents->setObjectName(QStringLiteral("helpcontents"));
  auto* close = new QPushButton(tr("Close"), this);
  close->setObjectName(QStringLiteral("helpclose"));
  close->setShortcut(QKeySequence(Qt::Key_Escape));

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(back);
  buttons->addWidget(contents);
  buttons->addStretch(1);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(buttons);
  layout->addWidget(browser_, 1);

  connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
  connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
  connect(contents, &QPushButton::clicked, this, [this] { ShowTopic(kIndexTopic); });
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  resize(640, 560);
}

void HelpWindow::ShowTopic(int topic) {
  browser_->setSource(TopicUrl(topic));
  show();
  raise();
  activateWindow();
}

int HelpWindow::Topic() const {
  QString name = browser_->source().fileName();
  name.chop(QStringLiteral(".html").size());
  return name.toInt();
}

QString HelpWindow::PageText() const { return browser_->toPlainText(); }

}  // namespace pellmark::ui
