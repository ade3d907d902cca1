#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QComboBox>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

#include "common/codepage.h"
#include "common/path.h"
#include "dbaccess/catalogue.h"
#include "ui/about.h"
#include "ui/metrics.h"
#include "ui/object_details.h"
#include "ui/platform.h"
#include "ui/splash.h"
#include "ui/text_windows.h"

namespace vt::ui {
namespace {

// "Object variable not set": the build asked for with no database open.
constexpr std::int32_t kObjectNotSet = 91;

// A label for a path that keeps its text exact but shows, when the path is
// wider than the window, its start and its file name with an ellipsis
// between; the tooltip holds the whole path.
class PathLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(contentsRect(), Qt::AlignLeft | Qt::AlignTop, ShownPath(this));
    }
};

QFrame* RuleLine(QWidget* parent, const char* name) {
    auto* line = new QFrame(parent);
    line->setObjectName(name);
    line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    line->setLineWidth(1);
    return line;
}

// A module name typed without extension gets ".bas": the module's header
// names it so, and Visual Basic looks for that extension.
std::string WithModuleSuffix(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
    if (name == path.size() || path.find('.', name) != std::string::npos) {
        return path;
    }
    return path + ".bas";
}

std::string Text(const QString& text) { return text.toStdString(); }
QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

QString ShownPath(const QLabel* label) {
    return label->fontMetrics().elidedText(label->text(), Qt::ElideMiddle,
                                           label->contentsRect().width());
}

void SelectAllText() {
    QWidget* focused = QApplication::focusWidget();
    if (auto* edit = qobject_cast<QLineEdit*>(focused)) {
        edit->setSelection(0, static_cast<int>(edit->text().size()));
        return;
    }
    if (auto* combo = qobject_cast<QComboBox*>(focused)) {
        if (combo->isEditable() && combo->lineEdit() != nullptr) {
            combo->lineEdit()->selectAll();
        }
    }
}

frmTessel::frmTessel(WindowServices services, QWidget* parent)
    : QMainWindow(parent),
      platform_(services.platform),
      openDatabase_(std::move(services.openDatabase)),
      openOutput_(std::move(services.openOutput)),
      reporter_{pending_, services.platform} {
    setObjectName("frmTessel");
    setWindowTitle(QString::fromUtf8(kProductName));
    QIcon icon;
    icon.addFile(QStringLiteral(":/vellumtide/icons/vellumtide-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/vellumtide/icons/vellumtide-32.png"), QSize(32, 32));
    setWindowIcon(icon);
    // Every window of the program carries it, the help window too.
    QApplication::setWindowIcon(icon);
    BuildControls();
    BuildMenus();
    FillRecentMenu();
    setAcceptDrops(true);

    about_ = new frmAbout(platform_, this);
    about_->setWindowIcon(icon);
    details_ = new frmDetails(this);
    moduleView_ = new frmModuleView(this);

    // F1 opens the help, whether typed or sent by Help Topics.
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, [this] { platform_.ShowHelp(); });
}

frmTessel::~frmTessel() = default;

void frmTessel::BuildControls() {
    auto* central = new QWidget(this);
    central->setObjectName("client");
    setCentralWidget(central);
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(Twips(120), 0, Twips(120), Twips(120));
    outer->setSpacing(Twips(90));

    // Two rules directly below each other under the menu bar.
    auto* rules = new QVBoxLayout;
    rules->setContentsMargins(-Twips(120), 0, -Twips(120), 0);
    rules->setSpacing(0);
    Line1 = RuleLine(central, "Line1");
    Line2 = RuleLine(central, "Line2");
    rules->addWidget(Line1);
    rules->addWidget(Line2);
    outer->addLayout(rules);

    outer->addLayout(BuildNameRow(central));
    BuildCatalogueView(central, outer);
    BuildNotesView(central, outer);
    outer->addLayout(BuildOptions(central));
    outer->addLayout(BuildButtons(central));
    SetTabOrder();
}

QLayout* frmTessel::BuildNameRow(QWidget* central) {
    auto* row = new QHBoxLayout;
    dbLabels[0] = new QLabel(QStringLiteral("Base Module Name (w/o Extension): "), central);
    dbLabels[0]->setObjectName("dbLabels_0");
    dbFormName = new QLineEdit(QString::fromUtf8(kDefaultFormName), central);
    dbFormName->setObjectName("dbFormName");
    dbFormName->installEventFilter(this);
    row->addWidget(dbLabels[0]);
    row->addWidget(dbFormName, 1);
    return row;
}

// The open database's path, and its catalogue.
void frmTessel::BuildCatalogueView(QWidget* central, QBoxLayout* outer) {
    dbDatabaseName = new PathLabel(central);
    dbDatabaseName->setObjectName("dbDatabaseName");
    dbDatabaseName->setWordWrap(true);
    dbDatabaseName->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    dbDatabaseName->setTextFormat(Qt::PlainText);
    dbDatabaseName->setFixedHeight(2 * dbDatabaseName->fontMetrics().lineSpacing() + 2);
    dbDatabaseName->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    outer->addWidget(dbDatabaseName);

    dbTableList = new QListWidget(central);
    dbTableList->setObjectName("dbTableList");
    dbTableList->setFont(FixedFont(8.25));
    dbTableList->setSortingEnabled(false);
    dbTableList->setMinimumSize(Twips(3600), Twips(1200));
    outer->addWidget(dbTableList, 1);
    // Double-click or Enter on a line shows its object's details.
    connect(dbTableList, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { ShowObjectDetails(dbTableList->row(item)); });

    dbObjectCount = new QLabel(central);
    dbObjectCount->setObjectName("dbObjectCount");
    dbObjectCount->setTextFormat(Qt::PlainText);
    outer->addWidget(dbObjectCount);
}

// What the reader found that the module cannot re-create, to read and copy;
// shown only when there is something to say.
void frmTessel::BuildNotesView(QWidget* central, QBoxLayout* outer) {
    dbNotesLabel = new QLabel(QStringLiteral("&Notes:"), central);
    dbNotesLabel->setObjectName("dbNotesLabel");
    dbNotes = new QPlainTextEdit(central);
    dbNotes->setObjectName("dbNotes");
    dbNotes->setReadOnly(true);
    dbNotes->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    dbNotes->setFixedHeight(4 * dbNotes->fontMetrics().lineSpacing() +
                            2 * static_cast<int>(dbNotes->document()->documentMargin()) +
                            2 * dbNotes->frameWidth());
    dbNotesLabel->setBuddy(dbNotes);
    dbNotesLabel->hide();
    dbNotes->hide();
    outer->addWidget(dbNotesLabel);
    outer->addWidget(dbNotes);
}

QLayout* frmTessel::BuildOptions(QWidget* central) {
    auto* options = new QGridLayout;
    options->setHorizontalSpacing(Twips(240));
    dbComments[0] = new QRadioButton(QStringLiteral("High Commenting Level"), central);
    dbComments[0]->setObjectName("dbComments_0");
    dbComments[1] = new QRadioButton(QStringLiteral("Low Commenting Level"), central);
    dbComments[1]->setObjectName("dbComments_1");
    dbComments[1]->setChecked(true);
    auto* commentGroup = new QButtonGroup(this);
    commentGroup->addButton(dbComments[0], 0);
    commentGroup->addButton(dbComments[1], 1);
    const auto checkBox = [central](const char* caption, const char* name, bool checked) {
        auto* box = new QCheckBox(QString::fromUtf8(caption), central);
        box->setObjectName(name);
        box->setChecked(checked);
        return box;
    };
    dbFullPath = checkBox("Code Full DB Path", "dbFullPath", false);
    dbEncrypt = checkBox("Encrypted Database", "dbEncrypt", true);
    dbCommonCode = checkBox("Add Common Code", "dbCommonCode", true);
    dbFullDesign = checkBox("Copy Full &Design", "dbFullDesign", false);
    connect(dbFullDesign, &QCheckBox::toggled, this, [this](bool on) {
        CarryOn([&] { platform_.SaveSetting(kSettingsSection, kKeyCopyFullDesign, on ? "1" : "0"); });
        pending_.Clear();  // an option not remembered is no error of the user's
    });
    options->addWidget(dbComments[0], 0, 0);
    options->addWidget(dbComments[1], 1, 0);
    options->addWidget(dbFullPath, 0, 1);
    options->addWidget(dbEncrypt, 1, 1);
    options->addWidget(dbCommonCode, 0, 2);
    options->addWidget(dbFullDesign, 1, 2);
    return options;
}

QLayout* frmTessel::BuildButtons(QWidget* central) {
    auto* buttons = new QHBoxLayout;
    const auto button = [central](const char* caption, const char* name) {
        auto* b = new QPushButton(QString::fromUtf8(caption), central);
        b->setObjectName(name);
        b->setAutoDefault(false);
        return b;
    };
    dbOpenDB = button("&Open Database", "dbOpenDB");
    dbBuildModule = button("&Build the Module", "dbBuildModule");
    dbBuildModule->setEnabled(false);
    dbViewModule = button("&View Module", "dbViewModule");
    dbViewModule->setEnabled(false);
    dbClose = button("&Close", "dbClose");
    // All of one size: the widest caption decides.
    int width = Twips(1800);
    for (QPushButton* b : {dbOpenDB, dbBuildModule, dbViewModule, dbClose}) {
        width = std::max(width, b->sizeHint().width());
    }
    for (QPushButton* b : {dbOpenDB, dbBuildModule, dbViewModule, dbClose}) {
        b->setFixedSize(width, std::max(Twips(375), b->sizeHint().height()));
        if (b != dbOpenDB) {
            buttons->addStretch(1);
        }
        buttons->addWidget(b);
    }
    connect(dbOpenDB, &QPushButton::clicked, this, [this] { dbOpenDB_Click(); });
    connect(dbBuildModule, &QPushButton::clicked, this, [this] { dbBuildModule_Click(); });
    connect(dbViewModule, &QPushButton::clicked, this, [this] { dbViewModule_Click(); });
    connect(dbClose, &QPushButton::clicked, this, [this] { dbClose_Click(); });
    return buttons;
}

// Tab order 0 to 11, then the controls added since; the labels take no
// focus.
void frmTessel::SetTabOrder() {
    dbLabels[0]->setFocusPolicy(Qt::NoFocus);
    dbDatabaseName->setFocusPolicy(Qt::NoFocus);
    QWidget* order[] = {dbFormName,   dbComments[0], dbComments[1], dbOpenDB,     dbBuildModule,
                        dbClose,      dbTableList,   dbFullPath,    dbEncrypt,    dbCommonCode,
                        dbFullDesign, dbViewModule,  dbNotes};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        setTabOrder(order[i], order[i + 1]);
    }
}

void frmTessel::BuildMenus() {
    menuFile = menuBar()->addMenu(QStringLiteral("&File"));
    menuFile->setObjectName("menuFile");
    menuOpenDB = menuFile->addAction(QStringLiteral("&Open Database"));
    menuOpenDB->setObjectName("menuOpenDB");
    menuOpenDB->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    menuRecent = menuFile->addMenu(QStringLiteral("Open &Recent"));
    menuRecent->setObjectName("menuRecent");
    menuRecent->menuAction()->setObjectName("menuRecent");
    menuBuild = menuFile->addAction(QStringLiteral("&Build the Module"));
    menuBuild->setObjectName("menuBuild");
    menuViewModule = menuFile->addAction(QStringLiteral("&View Module"));
    menuViewModule->setObjectName("menuViewModule");
    menuOpenFolder = menuFile->addAction(QString::fromUtf8(kOpenFolderCaption));
    menuOpenFolder->setObjectName("menuOpenFolder");
    for (QAction* written : {menuViewModule, menuOpenFolder}) {
        written->setEnabled(false);  // until a module is written
    }
    menuSeparator1 = menuFile->addSeparator();
    menuSeparator1->setObjectName("menuSeparator1");
    menuClose = menuFile->addAction(QStringLiteral("&Close"));
    menuClose->setObjectName("menuClose");
    menuClose->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    menuEdit = menuBar()->addMenu(QStringLiteral("&Edit"));
    menuEdit->setObjectName("menuEdit");
    menuCut = menuEdit->addAction(QStringLiteral("Cu&t"));
    menuCut->setObjectName("menuCut");
    menuCut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    menuCopy = menuEdit->addAction(QStringLiteral("&Copy"));
    menuCopy->setObjectName("menuCopy");
    menuCopy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    menuPaste = menuEdit->addAction(QStringLiteral("&Paste"));
    menuPaste->setObjectName("menuPaste");
    menuPaste->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));

    menuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    menuHelp->setObjectName("menuHelp");
    menuHelpTopics = menuHelp->addAction(QStringLiteral("&Help Topics"));
    menuHelpTopics->setObjectName("menuHelpTopics");
    menuSeparator2 = menuHelp->addSeparator();
    menuSeparator2->setObjectName("menuSeparator2");
    menuAbout = menuHelp->addAction(QStringLiteral("&About"));
    menuAbout->setObjectName("menuAbout");

    // The items that press a button or edit do so by keystrokes, as if typed.
    const std::pair<QAction*, const char*> sends[] = {
        {menuOpenDB, "%O"}, {menuBuild, "%B"}, {menuClose, "%C"},    {menuCut, "^X"},
        {menuCopy, "^C"},   {menuPaste, "^V"}, {menuHelpTopics, "{F1}"},
    };
    for (const auto& [action, keys] : sends) {
        const std::string sequence = keys;
        connect(action, &QAction::triggered, this, [this, sequence] {
            try {
                platform_.SendKeys(sequence);
            } catch (...) {
                pending_.Set(ErrorFromCurrentException());
                ShowError(reporter_, "SendKeys()");
            }
        });
    }
    connect(menuAbout, &QAction::triggered, this, [this] { menuAbout_Click(); });
    connect(menuViewModule, &QAction::triggered, this, [this] { dbViewModule_Click(); });
    connect(menuOpenFolder, &QAction::triggered, this, [this] { menuOpenFolder_Click(); });
}

template <typename Step>
void frmTessel::CarryOn(Step&& step) {
    try {
        step();
    } catch (...) {
        pending_.Set(ErrorFromCurrentException());
    }
}

template <typename Step>
void frmTessel::Reporting(const char* context, Step&& step) {
    pending_.Clear();
    try {
        step();
    } catch (...) {
        pending_.Set(ErrorFromCurrentException());
        ShowError(reporter_, context);
    }
}

bool frmTessel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == dbFormName && event->type() == QEvent::FocusIn) {
        // dbFormName_GotFocus. A click places the cursor after the focus
        // arrives, so select once the click has been handled.
        if (static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason) {
            QTimer::singleShot(0, dbFormName, [] { SelectAllText(); });
        } else {
            SelectAllText();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// --- Start-up and shutdown ------------------------------------------------

void frmTessel::Form_Load() {
    pending_.Clear();
    std::unique_ptr<frmSplash> splash;
    CarryOn([&] {
        splash = std::make_unique<frmSplash>(platform_);
        splash->show();
        splash->Load();
    });
    CarryOn([&] { LoadSettings(); });
    if (splash) {
        CarryOn([&] {
            splash->Refresh();
            splash->Unload();
        });
    }
    PlaceWindow();
    dbFormName->setFocus(Qt::OtherFocusReason);
    pending_.Clear();
}

// Where the window was last left, else its usual size centred on the
// screen; the list takes whatever room is added.
void frmTessel::PlaceWindow() {
    ensurePolished();
    std::string stored;
    CarryOn([&] { stored = platform_.GetSetting(kSettingsSection, kKeyWindowGeometry); });
    if (restoreGeometry(QByteArray::fromBase64(QByteArray::fromStdString(stored)))) {
        return;
    }
    adjustSize();
    resize(std::max(width(), Twips(7200)), std::max(height(), Twips(6600)));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area(QPoint(0, 0), frameGeometry().size());
        area.moveCenter(screen->availableGeometry().center());
        move(area.topLeft());
    }
}

void frmTessel::LoadSettings() {
    // A folder not yet stored starts as the home folder and is stored.
    const auto load = [this](const char* key, std::string& folder) {
        CarryOn([&] { folder = platform_.GetSetting(kSettingsSection, key); });
        if (folder.empty()) {
            CarryOn([&] {
                folder = platform_.HomeFolder();
                platform_.SaveSetting(kSettingsSection, key, folder);
            });
        }
    };
    load(kKeyLastProgramPath, gLastProgramPath);
    load(kKeyLastDataPath, gLastDataPath);
    std::string fullDesign;
    CarryOn([&] { fullDesign = platform_.GetSetting(kSettingsSection, kKeyCopyFullDesign); });
    const QSignalBlocker quiet(dbFullDesign);  // loading is no change to store
    dbFullDesign->setChecked(fullDesign == "1");
    // Failures here were skipped silently; none stays pending for later.
    pending_.Clear();
}

void frmTessel::SaveSettings() {
    // No error mode of its own: a failure ends it and reaches the caller.
    if (gLastProgramPath.empty()) {
        gLastProgramPath = platform_.HomeFolder();
    }
    platform_.SaveSetting(kSettingsSection, kKeyLastProgramPath, gLastProgramPath);
    if (gLastDataPath.empty()) {
        gLastDataPath = platform_.HomeFolder();
    }
    platform_.SaveSetting(kSettingsSection, kKeyLastDataPath, gLastDataPath);
}

void frmTessel::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();  // closing is never refused
}

void frmTessel::Form_Unload() {
    if (unloaded_) {
        return;
    }
    unloaded_ = true;
    try {
        platform_.SaveSetting(kSettingsSection, kKeyWindowGeometry,
                              saveGeometry().toBase64().toStdString());
    } catch (...) {
        // Shutdown carries on whatever happens.
    }
    try {
        gDatabase.reset();
    } catch (...) {
        // Shutdown carries on whatever happens.
    }
    pending_.Clear();
    platform_.EndProgram();
}

void frmTessel::dbClose_Click() { close(); }

void frmTessel::menuAbout_Click() {
    about_->exec();
}

// --- Generator host -------------------------------------------------------

bool frmTessel::AddCommonCode() const { return dbCommonCode->isChecked(); }
bool frmTessel::EncryptDatabase() const { return dbEncrypt->isChecked(); }
bool frmTessel::CodeFullPath() const { return dbFullPath->isChecked(); }
bool frmTessel::CopyFullDesign() const { return dbFullDesign->isChecked(); }

void frmTessel::ModuleBuilt() {
    dbFormName->setText(QString::fromUtf8(kDefaultFormName));
    dbFormName->repaint();
    dbFormName->setFocus(Qt::OtherFocusReason);
}

// --- Open Database --------------------------------------------------------

void frmTessel::dbOpenDB_Click() { OpenDatabase(std::nullopt); }

void frmTessel::OpenFile(const std::string& path) { OpenDatabase(path); }

void frmTessel::OpenDatabase(const std::optional<std::string>& given) {
    pending_.Clear();
    try {
        OpenDatabaseSteps(given);
    } catch (...) {
        pending_.Set(ErrorFromCurrentException());
        platform_.SetMousePointer(pointer::kDefault);
        if (pending_.Number() == err::kDialogCancelled) {
            pending_.Clear();
            return;
        }
        ShowError(reporter_, "OpenDatabase()");
    }
}

void frmTessel::OpenDatabaseSteps(const std::optional<std::string>& given) {
    FileDialogRequest request;
    request.filter = kOpenFilter;
    request.filterIndex = 1;
    request.title = kOpenTitle;
    request.fileName = gDatabasePath;
    request.flags = kHideReadOnly;
    request.initialFolder = gLastDataPath;
    const std::string chosen = given ? *given : platform_.OpenFileDialog(request);

    // The new path shows while the engine works; if the open fails, the
    // database still open is the one named, so that a build describes it.
    const std::string earlierPath = gDatabasePath, earlierName = gDatabaseName;
    ShowDatabasePath(chosen);
    StripFilePath(gDatabasePath, &gLastDataPath, &gDatabaseName, nullptr, reporter_);
    platform_.SetMousePointer(pointer::kBusy);
    repaint();
    std::unique_ptr<Database> opened;
    try {
        opened = OpenWithPassword();
    } catch (...) {
        ShowDatabasePath(earlierPath);
        gDatabaseName = earlierName;
        throw;
    }
    if (!opened) {
        ShowDatabasePath(earlierPath);
        gDatabaseName = earlierName;
        return;
    }
    // The earlier database closes now that the new one is open; the
    // details of one of its objects go with it.
    gDatabase = std::move(opened);
    details_->hide();
    RememberRecent(gDatabasePath);
    dbBuildModule->setEnabled(true);
    ShowNotes(gDatabase->Notes());
    ShowCatalogue();
    platform_.SetMousePointer(pointer::kDefault);
}

// The list, then how many objects it holds. A catalogue that cannot be read
// leaves both empty.
void frmTessel::ShowCatalogue() {
    dbTableList->clear();
    dbObjectCount->clear();
    listed_.clear();
    const std::vector<CatalogueLine> lines = ListCatalogue(*gDatabase);
    for (const CatalogueLine& line : lines) {
        if (line.odbcNotice && !dbFullDesign->isChecked()) {  // the full design links them
            ShowError(reporter_, kOdbcNotice);
        }
        dbTableList->addItem(Q(line.text));
        listed_.push_back(line);
    }
    dbObjectCount->setText(Q(CatalogueCountText(lines)));
}

void frmTessel::DesignLeftOut(const std::vector<std::string>& notes) {
    std::vector<std::string> all = gDatabase ? gDatabase->Notes() : std::vector<std::string>{};
    all.insert(all.end(), notes.begin(), notes.end());
    ShowNotes(all);
}

void frmTessel::ShowNotes(const std::vector<std::string>& notes) {
    std::string text;
    for (const std::string& note : notes) {
        text += (text.empty() ? "" : "\n") + note;
    }
    dbNotes->setPlainText(Q(text));
    dbNotesLabel->setVisible(!notes.empty());
    dbNotes->setVisible(!notes.empty());
}

void frmTessel::ShowObjectDetails(int row) {
    if (!gDatabase || row < 0 || static_cast<std::size_t>(row) >= listed_.size()) {
        return;
    }
    const CatalogueLine& line = listed_[static_cast<std::size_t>(row)];
    Reporting("ObjectDetails()", [&] {
        details_->ShowText(line.text.substr(kTagWidth), ObjectDetails(*gDatabase, line));
    });
}

void frmTessel::ShowDatabasePath(const std::string& path) {
    gDatabasePath = path;
    dbDatabaseName->setText(Q(path));
    dbDatabaseName->setToolTip(Q(path));
}

// Opens gDatabasePath; a protected database asks for its password, and
// cancelling the prompt gives none.
std::unique_ptr<Database> frmTessel::OpenWithPassword() {
    try {
        return openDatabase_(gDatabasePath, OpenOptions{});
    } catch (const ErrorException& e) {
        if (e.number() != err::kEngineBadPassword) {
            throw;
        }
    }
    platform_.SetMousePointer(pointer::kDefault);
    std::string name = gDatabasePath;
    if (const auto cut = name.find_last_of("\\/"); cut != std::string::npos) {
        name = name.substr(cut + 1);
    }
    const std::optional<std::string> password = platform_.AskPassword(
        "The database " + name + " is protected by a password.\nEnter the password:");
    if (!password) {
        return nullptr;
    }
    platform_.SetMousePointer(pointer::kBusy);
    return openDatabase_(gDatabasePath, OpenOptions{*password});
}

// The recent-files list: newest first, each once, at most kRecentFiles.
std::vector<std::string> frmTessel::RecentFiles() {
    std::string stored;
    CarryOn([&] { stored = platform_.GetSetting(kSettingsSection, kKeyRecentFiles); });
    std::vector<std::string> files;
    std::size_t start = 0;
    while (start < stored.size()) {
        const std::size_t end = std::min(stored.find('\n', start), stored.size());
        if (end > start) {
            files.push_back(stored.substr(start, end - start));
        }
        start = end + 1;
    }
    return files;
}

void frmTessel::RememberRecent(const std::string& path) {
    std::vector<std::string> files = RecentFiles();
    std::erase(files, path);
    files.insert(files.begin(), path);
    files.resize(std::min(files.size(), kRecentFiles));
    std::string stored;
    for (const std::string& file : files) {
        stored += file + "\n";
    }
    CarryOn([&] { platform_.SaveSetting(kSettingsSection, kKeyRecentFiles, stored); });
    pending_.Clear();  // a store that cannot be written costs only the list
    FillRecentMenu();
}

void frmTessel::FillRecentMenu() {
    menuRecent->clear();
    for (const std::string& file : RecentFiles()) {
        QAction* item = menuRecent->addAction(Q(file));
        connect(item, &QAction::triggered, this, [this, file] { OpenFile(file); });
    }
    menuRecent->menuAction()->setEnabled(!menuRecent->isEmpty());
}

void frmTessel::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.front().isLocalFile()) {
        event->acceptProposedAction();
    }
}

void frmTessel::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.front().isLocalFile()) {
        event->acceptProposedAction();
        const std::string path = Text(urls.front().toLocalFile());
        // Opened once the drop has ended, so the source is not kept waiting
        // on a message box.
        QTimer::singleShot(0, this, [this, path] { OpenFile(path); });
    }
}

// --- Build the Module -----------------------------------------------------

void frmTessel::dbBuildModule_Click() {
    // From here on a failing step is kept as the pending error and the
    // next step runs; the error is looked at only where a step says so.
    pending_.Clear();
    const std::optional<std::string> modulePath = AskModulePath();
    if (!modulePath || !ConfirmReplace(*modulePath)) {
        return;
    }
    CarryOn([&] { StripFilePath(*modulePath, &gLastProgramPath, nullptr, nullptr, reporter_); });
    pending_.Clear();
    CarryOn([&] { SaveSettings(); });
    gHighComments = dbComments[0]->isChecked();

    bool failed = false;
    written_.clear();
    CarryOn([&] { failed = RunGenerator(*modulePath); });
    KeepWrittenModules();
    const int answer = ReportBuildOutcome(failed, reporter_, written_,
                                          OutcomeBox{true, kOpenFolderCaption});
    platform_.SetMousePointer(pointer::kDefault);
    if (answer == answer::kOwnButton) {
        menuOpenFolder_Click();
    }
}

// A build that wrote modules makes them the ones to view; one that wrote
// none leaves the earlier ones, which a failed build does not touch.
void frmTessel::KeepWrittenModules() {
    if (written_.empty()) {
        return;
    }
    modules_ = written_;
    modulesCodePage_ = buildCodePage_;
    for (QAction* item : {menuViewModule, menuOpenFolder}) {
        item->setEnabled(true);
    }
    dbViewModule->setEnabled(true);
}

void frmTessel::dbViewModule_Click() {
    if (modules_.empty()) {
        return;  // nothing written yet; the button and the item are disabled
    }
    Reporting("ViewModule()", [&] {
        std::vector<ModuleText> texts;
        for (const std::string& path : modules_) {
            texts.push_back(ReadModuleText(path, modulesCodePage_));
        }
        moduleView_->ShowModules(texts);
    });
}

void frmTessel::menuOpenFolder_Click() {
    if (modules_.empty()) {
        return;
    }
    Reporting("OpenContainingFolder()", [&] {
        platform_.OpenFolder(Text(QFileInfo(Q(modules_.front())).absolutePath()));
    });
}

// The base name made a file name, then the save dialog; none when the user
// cancelled. The pointer is busy from here on.
std::optional<std::string> frmTessel::AskModulePath() {
    std::string baseName;
    std::string databaseFile;
    std::string modulePath;
    CarryOn([&] { baseName = FileNameWithExtension(Text(dbFormName->text()), reporter_).value_or(""); });
    CarryOn([&] {
        databaseFile = FileNameWithExtension(Text(dbDatabaseName->text()), reporter_).value_or("");
    });
    dbFormName->setText(Q(baseName));

    FileDialogRequest request;
    request.filter = kSaveFilter;
    request.title = "Save " + databaseFile + " Database Source Code";
    request.filterIndex = 1;
    request.fileName = baseName;
    request.flags = kHideReadOnly;
    request.initialFolder = gLastProgramPath;
    CarryOn([&] { modulePath = platform_.SaveFileDialog(request); });
    platform_.SetMousePointer(pointer::kBusy);
    if (pending_.Number() == err::kDialogCancelled) {
        pending_.Clear();
        platform_.SetMousePointer(pointer::kDefault);
        return std::nullopt;
    }
    return WithModuleSuffix(modulePath);
}

// Asks before an existing module is replaced; false when the build stops
// here (No, Cancel — which ends the program —, or a path that cannot be
// checked).
bool frmTessel::ConfirmReplace(const std::string& modulePath) {
    CarryOn([&] { (void)QueryPathAttributes(modulePath); });
    switch (pending_.Number()) {
    case err::kNone: {
        const int reply = platform_.ShowMessage(
            "The module already exists.\rWould you like to replace the existing module?",
            box::kYesNoCancel, kProductName);
        if (reply == answer::kYes) {
            return true;
        }
        if (reply == answer::kNo) {
            dbFormName->setFocus(Qt::OtherFocusReason);
            platform_.SetMousePointer(pointer::kDefault);
        } else {
            dbClose_Click();  // Cancel ends the program as the Close button does
        }
        return false;
    }
    case err::kFileNotFound:
        return true;
    default:
        ShowError(reporter_, "BuildModule()");
        platform_.SetMousePointer(pointer::kDefault);
        return false;
    }
}

bool frmTessel::RunGenerator(const std::string& modulePath) {
    if (!gDatabase) {
        throw ErrorException(kObjectNotSet, "Object variable or With block variable not set");
    }
    const DatabaseInfo info = gDatabase->Info();
    const CodePage codePage = CodePage::Open(info.codePage);
    buildCodePage_ = codePage.Number();
    // A schema file names the database it describes; that path is the one
    // to code, as the command-line tool does. A database file reports its
    // own path, the one the dialog returned.
    const bool describedElsewhere = !info.path.empty() && info.path != gDatabasePath;
    const std::optional<std::string> name =
        describedElsewhere ? BaseName(info.path, reporter_) : std::optional<std::string>(gDatabaseName);
    if (!name) {
        return true;  // the split said why
    }
    const BuildInputs inputs{*gDatabase, describedElsewhere ? info.path : gDatabasePath, *name,
                             gHighComments, codePage};
    return BuildModuleFile(modulePath, inputs, *this, reporter_, openOutput_);
}

}  // namespace vt::ui
