#pragma once
// frmTessel: the program's one working window. It holds the options of a
// run, shows the open database and its catalogue, and carries the commands
// Open Database, Build the Module and Close.

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <QMainWindow>

#include "common/error.h"
#include "common/show_error.h"
#include "dbaccess/catalogue.h"
#include "dbaccess/database.h"
#include "dbaccess/open.h"
#include "generator/build_module.h"
#include "generator/module_output.h"

class QAction;
class QBoxLayout;
class QCheckBox;
class QFrame;
class QLabel;
class QLayout;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace vt::ui {

class Platform;
class frmAbout;
class frmDetails;
class frmModuleView;

using DatabaseOpener =
    std::function<std::unique_ptr<Database>(const std::string& path, const OpenOptions& options)>;

// What the window is built on; tests swap the engine and the output.
struct WindowServices {
    Platform& platform;
    DatabaseOpener openDatabase = OpenDatabaseFile;
    OutputOpener openOutput = OpenAtomicFileOutput;
};

inline constexpr const char* kOpenFilter =
    "Access Database (*.mdb;*.accdb)|*.mdb;*.accdb|All Files (*.*)|*.*";
inline constexpr std::size_t kRecentFiles = 8;
inline constexpr const char* kOpenTitle = "Open MS Access Database";
inline constexpr const char* kSaveFilter = "VB Module (*.bas)|*.bas|All Files (*.*)|*.*";
inline constexpr const char* kDefaultFormName = "DBCreate";
// The menu item, and the button of a build's outcome box, that show the
// folder of the module written last.
inline constexpr const char* kOpenFolderCaption = "Open Containing &Folder";

class frmTessel : public QMainWindow, public GeneratorHost {
public:
    explicit frmTessel(WindowServices services, QWidget* parent = nullptr);
    ~frmTessel() override;

    // Start-up: the splash screen, the remembered folders, the pause.
    void Form_Load();
    void LoadSettings();
    void SaveSettings();

    void dbOpenDB_Click();
    // Open Database with `path` instead of the dialog's answer: a file named
    // at start-up, dropped on the window or chosen from the recent files.
    void OpenFile(const std::string& path);
    std::vector<std::string> RecentFiles();
    void dbBuildModule_Click();
    void dbClose_Click();
    void menuAbout_Click();
    // The details of the object on list row `row`, in a window of their own.
    void ShowObjectDetails(int row);
    // The modules written last: their text, and their folder on the desktop.
    void dbViewModule_Click();
    void menuOpenFolder_Click();

    // GeneratorHost: the generator reads the check boxes and resets the name.
    bool AddCommonCode() const override;
    bool EncryptDatabase() const override;
    bool CodeFullPath() const override;
    bool CopyFullDesign() const override;
    void ModuleBuilt() override;
    void FilesWritten(const std::vector<std::string>& paths) override { written_ = paths; }
    // What the build left out joins the reader's notes.
    void DesignLeftOut(const std::vector<std::string>& notes) override;

    // Module-level state, readable for the tests.
    const Database* CurrentDatabase() const { return gDatabase.get(); }
    const std::string& DatabasePath() const { return gDatabasePath; }
    const std::string& DatabaseName() const { return gDatabaseName; }
    const std::string& LastDataPath() const { return gLastDataPath; }
    const std::string& LastProgramPath() const { return gLastProgramPath; }
    bool HighComments() const { return gHighComments; }
    bool Unloaded() const { return unloaded_; }
    frmAbout* AboutBox() const { return about_; }
    frmDetails* DetailsBox() const { return details_; }
    frmModuleView* ModuleView() const { return moduleView_; }

    // Controls, by the names the program has always used.
    QFrame* Line1 = nullptr;
    QFrame* Line2 = nullptr;
    QLineEdit* dbFormName = nullptr;
    std::array<QRadioButton*, 2> dbComments{};
    QPushButton* dbOpenDB = nullptr;
    QPushButton* dbBuildModule = nullptr;
    QPushButton* dbClose = nullptr;
    QPushButton* dbViewModule = nullptr;  // enabled once a module is written
    std::array<QLabel*, 1> dbLabels{};
    QLabel* dbDatabaseName = nullptr;
    QListWidget* dbTableList = nullptr;
    QLabel* dbObjectCount = nullptr;  // how many tables, queries and relations
    QLabel* dbNotesLabel = nullptr;
    QPlainTextEdit* dbNotes = nullptr;  // the reader's notes; hidden when none
    QCheckBox* dbFullPath = nullptr;
    QCheckBox* dbEncrypt = nullptr;
    QCheckBox* dbCommonCode = nullptr;
    QCheckBox* dbFullDesign = nullptr;  // off by default, remembered

    QMenu* menuFile = nullptr;
    QAction* menuOpenDB = nullptr;
    QMenu* menuRecent = nullptr;
    QAction* menuBuild = nullptr;
    QAction* menuViewModule = nullptr;
    QAction* menuOpenFolder = nullptr;
    QAction* menuSeparator1 = nullptr;
    QAction* menuClose = nullptr;
    QMenu* menuEdit = nullptr;
    QAction* menuCut = nullptr;
    QAction* menuCopy = nullptr;
    QAction* menuPaste = nullptr;
    QMenu* menuHelp = nullptr;
    QAction* menuHelpTopics = nullptr;
    QAction* menuSeparator2 = nullptr;
    QAction* menuAbout = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PlaceWindow();
    void BuildControls();
    QLayout* BuildNameRow(QWidget* central);
    void BuildCatalogueView(QWidget* central, QBoxLayout* outer);
    void BuildNotesView(QWidget* central, QBoxLayout* outer);
    QLayout* BuildOptions(QWidget* central);
    QLayout* BuildButtons(QWidget* central);
    void SetTabOrder();
    void BuildMenus();
    void Form_Unload();
    void OpenDatabase(const std::optional<std::string>& given);
    void OpenDatabaseSteps(const std::optional<std::string>& given);
    void RememberRecent(const std::string& path);
    void FillRecentMenu();
    void ShowDatabasePath(const std::string& path);
    void ShowCatalogue();
    void ShowNotes(const std::vector<std::string>& notes);
    void KeepWrittenModules();
    std::unique_ptr<Database> OpenWithPassword();
    std::optional<std::string> AskModulePath();
    bool ConfirmReplace(const std::string& modulePath);
    bool RunGenerator(const std::string& modulePath);
    // The skip-and-continue mode: a failing step becomes the pending error
    // and the next one runs.
    template <typename Step>
    void CarryOn(Step&& step);
    // The stop-at-failure mode: a failing step is reported in `context`.
    template <typename Step>
    void Reporting(const char* context, Step&& step);

    Platform& platform_;
    DatabaseOpener openDatabase_;
    OutputOpener openOutput_;
    PendingError pending_;
    Reporter reporter_;

    std::unique_ptr<Database> gDatabase;
    std::string gDatabasePath;
    std::string gDatabaseName;
    std::string gLastDataPath;
    std::string gLastProgramPath;
    bool gHighComments = false;

    std::vector<CatalogueLine> listed_;  // what each row of dbTableList stands for
    std::vector<std::string> written_;  // by the last build
    int buildCodePage_ = 0;             // of the last build's modules
    std::vector<std::string> modules_;  // by the last build that wrote any
    int modulesCodePage_ = 0;
    frmAbout* about_ = nullptr;
    frmDetails* details_ = nullptr;
    frmModuleView* moduleView_ = nullptr;
    bool unloaded_ = false;
};

// The part of a path label's text that fits its width, elided in the middle.
QString ShownPath(const QLabel* label);

// Selects the whole text of the focused control of the active window when
// it is a text box or an editable combo box; anything else is left alone.
void SelectAllText();

}  // namespace vt::ui
