#include "ui/tselect_shares.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/named_widgets.h"
#include "ui/qt_interaction.h"

namespace pellmark::ui {
namespace {

QString FromPath(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

}  // namespace

Tselectshares::Tselectshares(Interaction& ui, QWidget* parent) : QDialog(parent), ui_(ui) {
  setObjectName(QStringLiteral("Tselectshares"));
  setModal(true);
  auto* outer = new QVBoxLayout(this);
  NameLabel_ = Named(new QLabel(this), "NameLabel");
  QFont heading = NameLabel_->font();
  heading.setBold(true);
  NameLabel_->setFont(heading);
  outer->addWidget(NameLabel_);

  lotgroup_ = Named(new QGroupBox(this), "lotgroup");
  auto* lots = new QGridLayout(lotgroup_);
  stockgrid_ = Named(new QTableWidget(0, 4, lotgroup_), "stockgrid");
  stockgrid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  stockgrid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  stockgrid_->setSelectionMode(QAbstractItemView::SingleSelection);
  stockgrid_->verticalHeader()->hide();
  stockgrid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  stockgrid_->horizontalHeader()->setStretchLastSection(true);
  lots->addWidget(stockgrid_, 0, 0, 1, 4);
  totallabel_ = Named(new QLabel(lotgroup_), "totallabel");
  tshares_ = Named(new QLineEdit(lotgroup_), "tshares");
  tshares_->setReadOnly(true);
  totallabel_->setBuddy(tshares_);
  seccnt_ = Named(new QLabel(lotgroup_), "seccnt");
  stockfilter_ = Named(new QPushButton(lotgroup_), "stockfilter");
  lots->addWidget(totallabel_, 1, 0);
  lots->addWidget(tshares_, 1, 1);
  lots->addWidget(stockfilter_, 1, 2);
  lots->addWidget(seccnt_, 1, 3);
  outer->addWidget(lotgroup_);

  foldergroup_ = Named(new QGroupBox(this), "foldergroup");
  auto* folders = new QGridLayout(foldergroup_);
  drive_ = Named(new QLineEdit(foldergroup_), "drive");
  directories_ = Named(new QListWidget(foldergroup_), "directories");
  files_ = Named(new QListWidget(foldergroup_), "files");
  files_->setSelectionMode(QAbstractItemView::NoSelection);
  folders->addWidget(drive_, 0, 0, 1, 2);
  folders->addWidget(directories_, 1, 0);
  folders->addWidget(files_, 1, 1);
  outer->addWidget(foldergroup_);

  auto* buttons = new QDialogButtonBox(this);
  BitBtn1_ = Named(buttons->addButton(QDialogButtonBox::Ok), "BitBtn1");
  BitBtn2_ = Named(buttons->addButton(QDialogButtonBox::Cancel), "BitBtn2");
  sellshareshelp_ = Named(buttons->addButton(QDialogButtonBox::Help), "sellshareshelp");
  BitBtn1_->setDefault(true);
  outer->addWidget(buttons);

  connect(stockfilter_, &QPushButton::clicked, this, &Tselectshares::stockfilterClick);
  connect(BitBtn1_, &QPushButton::clicked, this, &Tselectshares::BitBtn1Click);
  connect(BitBtn2_, &QPushButton::clicked, this, &Tselectshares::BitBtn2Click);
  connect(sellshareshelp_, &QPushButton::clicked, this, [this] {
    emit helpRequested(lots_ ? securities::LotChooser::kHelpTopic : kFolderChooserHelpTopic);
  });
  connect(drive_, &QLineEdit::returnPressed, this,
          [this] { OpenFolder(std::filesystem::path(drive_->text().toStdString())); });
  connect(directories_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
    std::string name = item->text().toStdString();
    OpenFolder(name == ".." ? folder_.parent_path() : folder_ / name);
  });
}

Tselectshares::~Tselectshares() = default;

void Tselectshares::PrepareLots(const LotChooserRequest& request) {
  lots_ = std::make_unique<securities::LotChooser>(request);
  lot_result_ = {};
  setWindowTitle(FromCore(lots_->Title()));
  NameLabel_->setText(FromCore(lots_->NameLabel()));
  NameLabel_->show();
  lotgroup_->setTitle(FromCore(lots_->GroupCaption()));
  lotgroup_->show();
  foldergroup_->hide();
  stockfilter_->setText(FromCore(lots_->ButtonCaption()));
  totallabel_->setText(FromCore(lots_->TotalCaption()));
  stockgrid_->setHorizontalHeaderLabels(
      {QStringLiteral("Date"), QStringLiteral("Type"), QStringLiteral("Shares"), FromCore(lots_->StatusHeader())});
  stockgrid_->setRowCount(static_cast<int>(lots_->Rows().size()));
  if (!lots_->Rows().empty()) stockgrid_->selectRow(0);
  DrawLots();
  stockgrid_->resizeColumnsToContents();
  // Room for every column and the vertical scroll bar, so no column hides behind a horizontal one.
  int scroll_bar = stockgrid_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, stockgrid_);
  stockgrid_->setMinimumWidth(stockgrid_->horizontalHeader()->length() + 2 * stockgrid_->frameWidth() + scroll_bar +
                              stockgrid_->fontMetrics().averageCharWidth() * 4);
  adjustSize();
}

void Tselectshares::DrawLots() {
  const auto& rows = lots_->Rows();
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    const securities::LotRow& row = rows[r];
    int c = 0;
    for (const std::string* text : {&row.date, &row.type, &row.shares, &row.status}) {
      auto* item = new QTableWidgetItem(FromCore(*text));
      if (c >= 2) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      stockgrid_->setItem(r, c++, item);
    }
  }
  tshares_->setText(FromCore(lots_->tshares()));
  seccnt_->setText(QString::number(rows.size()));
  stockfilter_->setEnabled(lots_->CanAllocate());
}

void Tselectshares::PrepareFolders(const FolderChooserRequest& request) {
  lots_.reset();
  folder_request_ = request;
  chosen_folder_.reset();
  setWindowTitle(QString::fromLatin1(kFolderChooserTitle));
  NameLabel_->hide();
  lotgroup_->hide();
  foldergroup_->show();
  foldergroup_->setTitle(FromCore(request.mask));
  OpenFolder(request.start);
  adjustSize();
}

void Tselectshares::OpenFolder(const std::filesystem::path& folder) {
  folder_ = folder;
  drive_->setText(FromPath(folder_));
  directories_->clear();
  if (folder_.has_parent_path() && folder_.parent_path() != folder_) directories_->addItem(QStringLiteral(".."));
  for (const std::string& name : ListFolders(store::DefaultFileLayer(), folder_)) directories_->addItem(QString::fromStdString(name));
  files_->clear();
  for (const std::string& name : ListMatchingFiles(store::DefaultFileLayer(), folder_, folder_request_.mask)) {
    files_->addItem(QString::fromStdString(name));
  }
}

void Tselectshares::stockfilterClick() {
  if (!lots_) return;
  lots_->stockfilterClick(stockgrid_->currentRow());
  DrawLots();
}

void Tselectshares::BitBtn1Click() {
  if (!lots_) {
    chosen_folder_ = folder_;
    accept();
    return;
  }
  securities::LotChoiceOutcome outcome = lots_->PressOk();
  if (!outcome.accepted) {
    ui_.ShowError(outcome.message);
    return;
  }
  lot_result_ = lots_->Result();
  accept();
}

void Tselectshares::BitBtn2Click() {
  lot_result_ = {};
  chosen_folder_.reset();
  reject();
}

}  // namespace pellmark::ui
