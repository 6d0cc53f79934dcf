#include "ui/special_page.h"
#include "forms/club_setup_form.h"

#include <array>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QFileDialog>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "books/books_check.h"
#include "ui/gauge_interaction.h"
#include "ui/named_widgets.h"
#include "ui/qt_interaction.h"
#include "ui/mail_service_setting.h"
#include "ui/quote_service_setting.h"
#include "ui/record_form.h"
#include "ui/support_sheet.h"

namespace pellmark::ui {
namespace {

constexpr int kSetupHelpTopic = 3502;
constexpr int kOptionsHelpTopic = 3503;
constexpr int kDialupChoice = 0;
constexpr int kLanChoice = 1;

QString CountText(std::int32_t count) { return QStringLiteral("(%1)").arg(count); }

}  // namespace

SpecialPage::SpecialPage(Books& books, QWidget* parent)
    : QTabWidget(parent), books_(books), club_(books.Club()) {
  setObjectName(QStringLiteral("SpecialPage"));
  addTab(BuildSetupSheet(), tr("Setup"));
  addTab(BuildOptionsSheet(), tr("Options"));
  addTab(new SupportSheet(books_, this), tr("Support"));
  ShowClubInformation();
  ShowOptions();
}

QPushButton* SpecialPage::HelpButton(const QString& name, int topic) {
  QPushButton* help = Button(tr("Help"), name, this);
  help->setProperty("helptopic", topic);
  connect(help, &QPushButton::clicked, this, [this, topic] { emit helpRequested(topic); });
  return help;
}

QWidget* SpecialPage::BuildSetupSheet() {
  auto* sheet = new QWidget(this);
  sheet->setObjectName(QStringLiteral("setupsheet"));
  auto* columns = new QHBoxLayout;
  columns->setSpacing(16);
  columns->addWidget(BuildClubGroup(), 1);
  columns->addWidget(BuildInternetGroup(), 1);

  auto* layout = new QVBoxLayout(sheet);
  layout->setContentsMargins(16, 16, 16, 16);
  layout->addLayout(columns);
  layout->addWidget(BuildObtainDataGroup());
  layout->addStretch(1);
  layout->addLayout(ButtonRow({HelpButton(QStringLiteral("helpspecsetup"), kSetupHelpTopic)}));
  return sheet;
}

QGroupBox* SpecialPage::BuildObtainDataGroup() {
  auto* group = new QGroupBox(tr("Obtain Data"), this);
  group->setObjectName(QStringLiteral("obtaindata"));
  auto* choices = new QWidget(group);
  choices->setObjectName(QStringLiteral("importtype"));
  importtype_ = new QButtonGroup(choices);
  auto* choice_layout = new QHBoxLayout(choices);
  choice_layout->setContentsMargins(0, 0, 0, 0);
  const std::array<std::pair<QString, interchange::ImportSource>, 3> kinds = {
      {{tr("Pellmark 1.xx"), interchange::ImportSource::kFirstVersion},
       {tr("Pellmark 2.xx"), interchange::ImportSource::kExport},
       {tr("NAIC Club Accounting 1.03"), interchange::ImportSource::kNaic}}};
  for (const auto& [caption, kind] : kinds) {
    auto* choice = new QRadioButton(caption, choices);
    importtype_->addButton(choice, static_cast<int>(kind));
    choice_layout->addWidget(choice);
  }
  importtype_->button(static_cast<int>(interchange::ImportSource::kExport))->setChecked(true);
  auto* import_button = Button(tr("Import"), QStringLiteral("import"), group);
  import_button->setToolTip(tr("Replaces the club's data with data of an earlier version or of NAIC files"));
  connect(import_button, &QPushButton::clicked, this, &SpecialPage::importClick);
  gauge_ = new QProgressBar(group);
  gauge_->setObjectName(QStringLiteral("Gauge1"));
  gauge_->setRange(0, 100);
  gauge_->setValue(0);
  auto* layout = new QHBoxLayout(group);
  layout->addWidget(choices);
  layout->addWidget(import_button);
  layout->addWidget(gauge_, 1);
  choose_open_file_ = [this](const std::filesystem::path& folder,
                             const QString& filter) -> std::optional<std::filesystem::path> {
    const QString chosen =
        QFileDialog::getOpenFileName(this, tr("Import"), QString::fromStdString(folder.string()), filter);
    if (chosen.isEmpty()) return std::nullopt;
    return chosen.toStdString();
  };
  return group;
}

void SpecialPage::importClick() {
  const auto kind = static_cast<interchange::ImportSource>(importtype_->checkedId());
  std::optional<std::filesystem::path> source;
  if (kind == interchange::ImportSource::kFirstVersion) {
    source = choose_open_file_(club_.Folder(), tr("Pellmark 1.XX Files (pellmarkdat.txt)"));
    if (!source) return;
  } else if (kind == interchange::ImportSource::kExport) {
    source = choose_open_file_(club_.Folder(), tr("Pellmark 2.XX Files (pellmark95.txt)"));
    if (!source) return;
  }
  GaugeInteraction ui(club_.Ui(), [this](int percent) { gauge_->setValue(percent); });
  const interchange::ImportReport report = books_.Import(kind, source, &ui);
  gauge_->setValue(0);
  if (report.outcome) AfterReplacement();
}

QGroupBox* SpecialPage::BuildClubGroup() {
  auto* group = new QGroupBox(tr("Club Information"), this);
  group->setObjectName(QStringLiteral("clubinfo"));
  club_name_ = Field(QStringLiteral("clubname"), 25, group);
  club_address_ = Field(QStringLiteral("clubaddress"), 60, group);
  tax_id_ = Field(QStringLiteral("clubtaxid"), 11, group);
  track_year_ = Field(QStringLiteral("trackyear"), 4, group);
  start_unit_ = Field(QStringLiteral("startunit"), 15, group);
  start_unit_label_ = new QLabel(tr("Start Unit:"), group);
  start_unit_label_->setObjectName(QStringLiteral("startunitlabel"));
  start_unit_label_->setBuddy(start_unit_);
  track_year_->setMaximumWidth(80);
  start_unit_->setMaximumWidth(120);

  auto* form = new QFormLayout;
  form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
  form->addRow(tr("Club &Name:"), club_name_);
  form->addRow(tr("A&ddress:"), club_address_);
  form->addRow(tr("&Tax ID:"), tax_id_);
  form->addRow(tr("Track &Year:"), track_year_);
  form->addRow(start_unit_label_, start_unit_);

  clubinfochange_ = Button(tr("&Change"), QStringLiteral("clubinfochange"), group);
  clubinfocommit_ = Button(tr("C&ommit"), QStringLiteral("clubinfocommit"), group);
  clubinfoabort_ = Button(tr("&Abort"), QStringLiteral("clubinfoabort"), group);
  connect(clubinfochange_, &QPushButton::clicked, this, &SpecialPage::clubinfochangeClick);
  connect(clubinfocommit_, &QPushButton::clicked, this, &SpecialPage::clubinfocommitClick);
  connect(clubinfoabort_, &QPushButton::clicked, this, &SpecialPage::clubinfoabortClick);

  auto* layout = new QVBoxLayout(group);
  layout->addLayout(form);
  layout->addStretch(1);
  layout->addLayout(ButtonRow({clubinfochange_, clubinfocommit_, clubinfoabort_}));
  return group;
}

QGroupBox* SpecialPage::BuildInternetGroup() {
  internet_group_ = new QGroupBox(tr("Internet"), this);
  internet_group_->setObjectName(QStringLiteral("internet"));

  auto* mail = new QGroupBox(tr("E-Mail"), internet_group_);
  mail->setObjectName(QStringLiteral("emailgroup"));
  smtp_server_ = Field(QStringLiteral("eSMTPServer"), 30, mail);
  home_address_ = Field(QStringLiteral("eHomeAddr"), 30, mail);
  auto* mail_form = new QFormLayout(mail);
  mail_form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
  mail_form->addRow(tr("Host:"), smtp_server_);
  mail_form->addRow(tr("Address:"), home_address_);
  // How the server is reached: settings of the user, not of the club.
  mailsecurity_ = new QComboBox(mail);
  mailsecurity_->setObjectName(QStringLiteral("mailsecurity"));
  mailsecurity_->addItem(tr("None"), QStringLiteral("none"));
  mailsecurity_->addItem(tr("STARTTLS"), QStringLiteral("starttls"));
  mailsecurity_->addItem(tr("TLS"), QStringLiteral("tls"));
  maillogin_ = Named(new QLineEdit(mail), "maillogin");
  maillogin_->setToolTip(tr("Log in to the server as this user; the password is asked once per run and never stored"));
  mailreplywait_ = Named(new QLineEdit(mail), "mailreplywait");
  mailreplywait_->setToolTip(tr("Seconds to wait for each reply of the server"));
  supportaddress_ = Named(new QLineEdit(mail), "supportaddress");
  mail_form->addRow(tr("Security:"), mailsecurity_);
  mail_form->addRow(tr("Login:"), maillogin_);
  mail_form->addRow(tr("Reply Wait:"), mailreplywait_);
  mail_form->addRow(tr("Support Address:"), supportaddress_);

  auto* quotes = new QGroupBox(tr("Quotes"), internet_group_);
  quotes->setObjectName(QStringLiteral("quotesgroup"));
  useproxy_ = new QCheckBox(tr("Use Proxy"), quotes);
  useproxy_->setObjectName(QStringLiteral("useproxy"));
  proxy_ = Field(QStringLiteral("proxy"), 30, quotes);
  proxycache_ = new QCheckBox(tr("Cache Off"), quotes);
  proxycache_->setObjectName(QStringLiteral("proxycache"));
  uselogin_ = new QCheckBox(tr("Basic Authentication"), quotes);
  uselogin_->setObjectName(QStringLiteral("uselogin"));
  username_ = Field(QStringLiteral("username"), 15, quotes);
  password_ = Field(QStringLiteral("password"), 15, quotes);
  password_->setEchoMode(QLineEdit::Password);
  quotehost_ = Named(new QLineEdit(quotes), "quotehost");
  quotehost_->setToolTip(tr("The quote service's host, asked for /d/quotes.csv"));
  quoteurl_ = Named(new QLineEdit(quotes), "quoteurl");
  quoteurl_->setToolTip(tr("Instead of the host: the whole address, with {symbols} where the symbols go"));

  auto* connection = new QGroupBox(tr("Connection Type"), quotes);
  connection->setObjectName(QStringLiteral("dialopt"));
  dialopt_ = new QButtonGroup(connection);
  auto* connection_row = new QHBoxLayout(connection);
  for (auto [caption, id] : {std::pair{tr("Dialup"), kDialupChoice}, std::pair{tr("LAN"), kLanChoice}}) {
    auto* choice = new QRadioButton(caption, connection);
    choice->setObjectName(id == kDialupChoice ? QStringLiteral("dialoptdialup") : QStringLiteral("dialoptlan"));
    dialopt_->addButton(choice, id);
    connection_row->addWidget(choice);
  }
  connection_row->addStretch(1);
  dialentries_ = new QComboBox(quotes);
  dialentries_->setObjectName(QStringLiteral("dialentries"));
  dialentries_->setToolTip(tr("Dial-up networking is not available on this system; the local network is used."));

  auto* terminate = new QGroupBox(tr("Terminate . . ."), quotes);
  terminate->setObjectName(QStringLiteral("closeopt"));
  closeopt_ = new QButtonGroup(terminate);
  auto* terminate_row = new QHBoxLayout(terminate);
  int choice_id = 0;
  for (const QString& caption : {tr("Immediately After Use"), tr("At end of Program")}) {
    auto* choice = new QRadioButton(caption, terminate);
    choice->setObjectName(QStringLiteral("closeopt%1").arg(choice_id));
    closeopt_->addButton(choice, choice_id++);
    terminate_row->addWidget(choice);
  }
  terminate_row->addStretch(1);

  auto* boxes = new QHBoxLayout;
  boxes->addWidget(useproxy_);
  boxes->addWidget(proxycache_);
  boxes->addWidget(uselogin_);
  boxes->addStretch(1);
  auto* quotes_form = new QFormLayout;
  quotes_form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
  quotes_form->addRow(tr("Proxy:"), proxy_);
  quotes_form->addRow(tr("User:"), username_);
  quotes_form->addRow(tr("Password:"), password_);
  quotes_form->addRow(tr("Dialup Entry:"), dialentries_);
  quotes_form->addRow(tr("Quote Host:"), quotehost_);
  quotes_form->addRow(tr("Quote URL:"), quoteurl_);
  auto* quotes_layout = new QVBoxLayout(quotes);
  quotes_layout->addLayout(boxes);
  quotes_layout->addLayout(quotes_form);
  quotes_layout->addWidget(connection);
  quotes_layout->addWidget(terminate);

  internetchange_ = Button(tr("C&hange"), QStringLiteral("internetchange"), internet_group_);
  internetcommit_ = Button(tr("Co&mmit"), QStringLiteral("internetcommit"), internet_group_);
  internetabort_ = Button(tr("A&bort"), QStringLiteral("internetabort"), internet_group_);
  connect(internetchange_, &QPushButton::clicked, this, &SpecialPage::internetchangeClick);
  connect(internetcommit_, &QPushButton::clicked, this, &SpecialPage::clubinfocommitClick);
  connect(internetabort_, &QPushButton::clicked, this, &SpecialPage::clubinfoabortClick);
  connect(useproxy_, &QCheckBox::clicked, this, &SpecialPage::useproxyClick);
  connect(uselogin_, &QCheckBox::clicked, this, &SpecialPage::useloginClick);
  connect(dialopt_, &QButtonGroup::idClicked, this, &SpecialPage::dialoptClick);

  auto* layout = new QVBoxLayout(internet_group_);
  layout->addWidget(mail);
  layout->addWidget(quotes);
  layout->addStretch(1);
  layout->addLayout(ButtonRow({internetchange_, internetcommit_, internetabort_}));
  return internet_group_;
}

QWidget* SpecialPage::BuildOptionsSheet() {
  auto* sheet = new QWidget(this);
  sheet->setObjectName(QStringLiteral("optionssheet"));

  auto* options = new QGroupBox(tr("Options"), sheet);
  options->setObjectName(QStringLiteral("optionsgroup"));
  forcedeletes_ = new QCheckBox(tr("Force Deletes"), options);
  forcedeletes_->setObjectName(QStringLiteral("forcedeletes"));
  forcedeletes_->setToolTip(tr("Lets deletions remove records that another part of the books wrote"));
  forcedeletes_->setChecked(false);  // off at every start
  usecolor_ = new QCheckBox(tr("Use Color In Reports"), options);
  usecolor_->setObjectName(QStringLiteral("usecolor"));
  stksort_ = new QCheckBox(tr("Sort Securities by Performance"), options);
  stksort_->setObjectName(QStringLiteral("stksort"));
  auto* options_layout = new QVBoxLayout(options);
  options_layout->addWidget(forcedeletes_);
  options_layout->addWidget(usecolor_);
  options_layout->addWidget(stksort_);
  options_layout->addStretch(1);
  auto* checkbooks = Button(tr("Check &Books"), QStringLiteral("checkbooks"), options);
  checkbooks->setToolTip(tr("Checks that balances, totals, links and ids agree between the stores"));
  connect(checkbooks, &QPushButton::clicked, this, &SpecialPage::checkbooksClick);
  options_layout->addLayout(ButtonRow({checkbooks}));
  connect(stksort_, &QCheckBox::clicked, this, &SpecialPage::stksortClick);
  connect(usecolor_, &QCheckBox::clicked, this, &SpecialPage::usecolorClick);

  auto* hidden = new QGroupBox(tr("Hidden Items"), sheet);
  hidden->setObjectName(QStringLiteral("hiddengroup"));
  auto* hidden_grid = new QGridLayout(hidden);
  int row = 0;
  auto add_hidden = [&](QCheckBox*& box, QLabel*& count, const QString& caption, const QString& box_name,
                        const QString& label_name) {
    box = new QCheckBox(caption, hidden);
    box->setObjectName(box_name);
    count = new QLabel(CountText(0), hidden);
    count->setObjectName(label_name);
    hidden_grid->addWidget(box, row, 0);
    hidden_grid->addWidget(count, row, 1);
    ++row;
  };
  add_hidden(hiddenmember_, hidmemlab_, tr("Show Hidden Members"), QStringLiteral("hiddenmember"),
             QStringLiteral("hidmemlab"));
  add_hidden(hiddensecurity_, hidseclab_, tr("Show Hidden Securities"), QStringLiteral("hiddensecurity"),
             QStringLiteral("hidseclab"));
  add_hidden(hiddenaccount_, hidactlab_, tr("Show Hidden Accounts"), QStringLiteral("hiddenaccount"),
             QStringLiteral("hidactlab"));
  hidden_grid->setColumnStretch(2, 1);
  hidden_grid->setRowStretch(row, 1);
  for (QCheckBox* box : {hiddenmember_, hiddensecurity_, hiddenaccount_}) {
    connect(box, &QCheckBox::clicked, this, &SpecialPage::KeepOptions);
  }

  auto* club_data = new QGroupBox(tr("Club Data"), sheet);
  club_data->setObjectName(QStringLiteral("clubdatagroup"));
  auto* backupdata = Button(tr("Backup Files"), QStringLiteral("backupdata"), club_data);
  backupdata->setToolTip(tr("Copies the club's files to a folder of backup files (*.bck)"));
  auto* restoredata = Button(tr("Restore Backup"), QStringLiteral("restoredata"), club_data);
  restoredata->setToolTip(tr("Replaces the club's files with the backup files of a folder"));
  auto* clubreset = Button(tr("RESET"), QStringLiteral("ClubReset"), club_data);
  clubreset->setToolTip(tr("Removes all club data"));
  auto* club_data_layout = new QVBoxLayout(club_data);
  club_data_layout->addLayout(ButtonRow({backupdata, restoredata, clubreset}));
  connect(backupdata, &QPushButton::clicked, this, &SpecialPage::backupdataClick);
  connect(restoredata, &QPushButton::clicked, this, &SpecialPage::restoredataClick);
  connect(clubreset, &QPushButton::clicked, this, &SpecialPage::ClubResetClick);

  auto* provide = new QGroupBox(tr("Provide Data"), sheet);
  provide->setObjectName(QStringLiteral("providedata"));
  auto* export_button = Button(tr("Export"), QStringLiteral("export"), provide);
  export_button->setToolTip(tr("Writes the whole club to a text file (pellmark95.txt)"));
  auto* provide_layout = new QVBoxLayout(provide);
  provide_layout->addLayout(ButtonRow({export_button}));
  connect(export_button, &QPushButton::clicked, this, &SpecialPage::exportRequested);

  auto* maintenance = new QGroupBox(tr("Maintenance"), sheet);
  maintenance->setObjectName(QStringLiteral("maintenance"));
  auto* closeyear = Button(tr("Close &Year"), QStringLiteral("closeyear"), maintenance);
  closeyear->setToolTip(tr("Credits the members' earnings, writes the tax report and opens the next year"));
  auto* taxrept = Button(tr("&Tax Report"), QStringLiteral("taxrept"), maintenance);
  taxrept->setToolTip(tr("Shows the tax report of a closed year (club<year>.tax)"));
  auto* maintenance_layout = new QVBoxLayout(maintenance);
  maintenance_layout->addLayout(ButtonRow({closeyear, taxrept}));
  connect(closeyear, &QPushButton::clicked, this, &SpecialPage::closeYearRequested);
  connect(taxrept, &QPushButton::clicked, this, &SpecialPage::taxReportRequested);

  auto* columns = new QHBoxLayout;
  columns->setSpacing(16);
  columns->addWidget(options, 1);
  columns->addWidget(hidden, 1);
  auto* data_columns = new QHBoxLayout;
  data_columns->setSpacing(16);
  data_columns->addWidget(club_data, 1);
  data_columns->addWidget(provide, 1);
  data_columns->addWidget(maintenance, 1);
  auto* layout = new QVBoxLayout(sheet);
  layout->setContentsMargins(16, 16, 16, 16);
  layout->addLayout(columns);
  layout->addLayout(data_columns);
  layout->addStretch(1);
  layout->addLayout(ButtonRow({HelpButton(QStringLiteral("helpspcoption"), kOptionsHelpTopic)}));
  return sheet;
}

void SpecialPage::ShowClubInformation() {
  DisplayFields(ClubSetupFields(club_));
  SetLocked(true);
}

void SpecialPage::DisplayFields(const ClubInfoFields& fields) {
  club_name_->setText(FromCore(fields.club));
  club_address_->setText(FromCore(fields.addr));
  tax_id_->setText(FromCore(fields.idnum));
  track_year_->setText(FromCore(fields.year));
  smtp_server_->setText(FromCore(fields.host));
  home_address_->setText(FromCore(fields.retadr));
  proxy_->setText(FromCore(fields.proxy));
  username_->setText(FromCore(fields.user));
  password_->setText(FromCore(fields.passwd));
  useproxy_->setChecked(fields.usepxy);
  proxycache_->setChecked(fields.pxycsh);
  uselogin_->setChecked(fields.usepas);
  dialentries_->clear();
  if (!fields.dialup.empty()) dialentries_->addItem(FromCore(fields.dialup));
  closeopt_->button(fields.cnthndl == 1 ? 1 : 0)->setChecked(true);
  // Without dial-up networking no connection type is shown as chosen.
  ClearConnectionType();
  const QuoteService service = QuoteServiceSetting();
  quotehost_->setText(QString::fromStdString(service.host));
  quoteurl_->setText(QString::fromStdString(service.url_template));
  const MailService mail = MailServiceSetting();
  mailsecurity_->setCurrentIndex(static_cast<int>(mail.security));
  maillogin_->setText(QString::fromStdString(mail.login));
  mailreplywait_->setText(
      QString::number(std::chrono::duration_cast<std::chrono::seconds>(mail.reply_wait).count()));
  supportaddress_->setText(QString::fromStdString(mail.support_address));
  const bool first_set_up = fields.startunit.has_value();
  start_unit_->setText(FromCore(fields.startunit.value_or("")));
  start_unit_label_->setVisible(first_set_up);
  start_unit_->setVisible(first_set_up);
}

ClubInfoFields SpecialPage::ReadFields() const {
  ClubInfoFields fields;
  fields.club = ToCore(club_name_->text());
  fields.addr = ToCore(club_address_->text());
  fields.idnum = ToCore(tax_id_->text());
  fields.year = ToCore(track_year_->text());
  fields.host = ToCore(smtp_server_->text());
  fields.retadr = ToCore(home_address_->text());
  fields.proxy = ToCore(proxy_->text());
  fields.user = ToCore(username_->text());
  fields.passwd = ToCore(password_->text());
  fields.usepxy = useproxy_->isChecked();
  fields.pxycsh = proxycache_->isChecked();
  fields.usepas = uselogin_->isChecked();
  fields.contyp = static_cast<std::int16_t>(dialopt_->checkedId());
  fields.dialup = ToCore(dialentries_->currentText());
  fields.cnthndl = static_cast<std::uint8_t>(closeopt_->checkedId() == 1 ? 1 : 0);
  if (!start_unit_->isHidden()) fields.startunit = ToCore(start_unit_->text());
  return fields;
}

void SpecialPage::SetLocked(bool locked) {
  locked_ = locked;
  LockFields({club_name_, club_address_, tax_id_, track_year_, start_unit_, smtp_server_, home_address_, proxy_,
              username_, password_, quotehost_, quoteurl_, maillogin_, mailreplywait_, supportaddress_},
             locked);
  mailsecurity_->setEnabled(!locked);
  for (QWidget* choice : {static_cast<QWidget*>(useproxy_), static_cast<QWidget*>(proxycache_),
                          static_cast<QWidget*>(uselogin_)}) {
    choice->setEnabled(!locked);
  }
  // No dial-up networking here: "Dialup" is shown but never offered.
  for (QAbstractButton* choice : dialopt_->buttons()) {
    choice->setEnabled(!locked && dialopt_->id(choice) != kDialupChoice);
  }
  for (QAbstractButton* choice : closeopt_->buttons()) choice->setEnabled(!locked);
  dialentries_->setEnabled(false);
  clubinfochange_->setEnabled(locked);
  internetchange_->setEnabled(locked);
  for (QPushButton* button : {clubinfocommit_, clubinfoabort_, internetcommit_, internetabort_}) {
    button->setEnabled(!locked);
  }
  if (!locked) {
    useproxyClick();
    useloginClick();
  }
}

void SpecialPage::ClearConnectionType() {
  dialopt_->setExclusive(false);
  for (QAbstractButton* choice : dialopt_->buttons()) choice->setChecked(false);
  dialopt_->setExclusive(true);
}

void SpecialPage::clubinfochangeClick() {
  SetLocked(false);
  setCurrentIndex(0);
  club_name_->setFocus();
  club_name_->selectAll();
}

void SpecialPage::internetchangeClick() {
  SetLocked(false);
  setCurrentIndex(0);
  smtp_server_->setFocus();
}

void SpecialPage::clubinfocommitClick() {
  bool dialup_choice_cleared = false;
  const bool first_set_up = !club_.InfoExists();
  if (!CommitClubSetup(club_, ReadFields(), &dialup_choice_cleared)) {
    if (dialup_choice_cleared) ClearConnectionType();
    return;
  }
  if (first_set_up) stksort_->setChecked(club_.Info().sort);
  SaveQuoteServiceSetting({.host = quotehost_->text().toStdString(), .url_template = quoteurl_->text().toStdString()});
  MailService mail = MailServiceSetting();
  mail.security = SecurityNamed(mailsecurity_->currentData().toString().toStdString()).value_or(MailSecurity::kNone);
  mail.login = maillogin_->text().trimmed().toStdString();
  const int wait = mailreplywait_->text().trimmed().toInt();
  if (wait > 0) mail.reply_wait = std::chrono::seconds(wait);
  const QString support = supportaddress_->text().trimmed();
  mail.support_address = support.isEmpty() ? std::string(kDefaultSupportAddress) : support.toStdString();
  SaveMailServiceSetting(mail);
  ShowClubInformation();
  emit clubInformationCommitted();
}

void SpecialPage::clubinfoabortClick() {
  ShowClubInformation();
  clubinfochange_->setFocus();
}

void SpecialPage::useproxyClick() {
  if (locked_) return;
  ShowReadOnly(proxy_, !useproxy_->isChecked());
}

void SpecialPage::useloginClick() {
  if (locked_) return;
  LockFields({username_, password_}, !uselogin_->isChecked());
}

void SpecialPage::dialoptClick() {
  // Dial-up networking does not exist on this platform, so there are never
  // phone-book entries to offer, whichever connection type is chosen.
  dialentries_->clear();
  dialentries_->setEnabled(false);
}

void SpecialPage::stksortClick() { club_.SetSortSecurities(stksort_->isChecked()); }

void SpecialPage::backupdataClick() { (void)books_.Backup(); }

void SpecialPage::restoredataClick() {
  if (books_.Restore()) AfterReplacement();
}

void SpecialPage::ClubResetClick() {
  if (books_.Reset()) AfterReplacement();
}

void SpecialPage::AfterReplacement() {
  ShowClubInformation();
  ShowOptions();
  emit clubFilesReplaced();
}

void SpecialPage::checkbooksClick() {
  std::vector<BooksBreach> breaches = books_.CheckBooks();
  if (breaches.empty()) {
    club_.Ui().ShowInformation("The books hold.");
    return;
  }
  std::string listing;
  for (const BooksBreach& breach : breaches) listing += breach.text + "\n" + breach.mend_text + "\n";
  const std::string count = std::to_string(breaches.size()) + (breaches.size() == 1 ? " breach" : " breaches");
  if (!club_.Ui().Confirm(count + " of the books:\n\n" + listing + "\nRun the resets and counter raises now?")) return;
  books_.RepairBooks(breaches);
  emit booksRepaired();
  breaches = books_.CheckBooks();
  if (breaches.empty()) {
    club_.Ui().ShowInformation("The books hold.");
  } else {
    club_.Ui().ShowError(std::to_string(breaches.size()) +
                         " breaches remain; restore the club from a backup made before them.");
  }
}

void SpecialPage::usecolorClick() { club_.View().usecolor = usecolor_->isChecked(); }

void SpecialPage::ShowOptions() {
  const TClubInfoRec& info = club_.Info();
  const TViewState& view = club_.View();
  usecolor_->setChecked(view.usecolor);
  stksort_->setChecked(club_.InfoExists() ? info.sort : true);
  const struct {
    QCheckBox* box;
    QLabel* label;
    std::int32_t count;
    bool shown;
  } hidden_lists[] = {{hiddenmember_, hidmemlab_, info.hidmems, view.showhiddenmembers},
                      {hiddensecurity_, hidseclab_, info.hidstks, view.showhiddensecurities},
                      {hiddenaccount_, hidactlab_, info.hidacts, view.showhiddenaccounts}};
  for (const auto& hidden : hidden_lists) {
    const bool any = club_.InfoExists() && hidden.count != 0;
    hidden.box->setEnabled(any);
    hidden.box->setChecked(hidden.shown);
    hidden.label->setText(CountText(club_.InfoExists() ? hidden.count : 0));
  }
}

void SpecialPage::KeepOptions() {
  TViewState& view = club_.View();
  view.showhiddenmembers = hiddenmember_->isChecked();
  view.showhiddensecurities = hiddensecurity_->isChecked();
  view.showhiddenaccounts = hiddenaccount_->isChecked();
  view.usecolor = usecolor_->isChecked();
}

bool SpecialPage::ForceDeletes() const { return forcedeletes_->isChecked(); }

}  // namespace pellmark::ui
