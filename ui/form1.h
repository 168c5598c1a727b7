#pragma once

#include "edithost.h"
#include "editrun.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <chrono>

class ChangesWindow;
class CheckList;
class FileListView;
class QAction;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QUrl;
class StatusLine;
class frmAbout;

// The buttons of the Command1 array.
enum class CommandIndex { Execute = 0, Stop = 1, Clear = 2 };

// The main window: the Find and With boxes, the file list, the Execute, Stop
// and Clear buttons, the status and mode lines, the mode and options lists,
// and the File and Help menus. It is the edit run's host.

class Form1 : public QMainWindow, private EditInputs, private FileRows, private EditDisplay
{
    Q_OBJECT
public:
    explicit Form1(QWidget *parent = nullptr);
    ~Form1() override;

    // Lists the paths as a drop of them on the file list would.
    void addPaths(const QList<QByteArray> &paths);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void createMenus();
    void setFocusOrder();
    void setAccessibleNames();
    void showCaptions();

    // Handlers of the controls and menu entries.
    void Command1_Click(int index);
    void mnuAddFiles_Click();
    void mnuAddFolder_Click();
    void mnuExecute_Click();
    void mnuPreview_Click();
    void mnuClear_Click();
    void mnuUndo_Click();
    void mnuReview_Click();
    void mnuExit_Click();
    void List1_ItemCheck(int index);
    void mnuProgWP_Click();
    void mnuT_Click();
    void mnuComment_Click();
    void mnuDonate_Click();
    void mnuAbout_Click();
    void Form_Unload();
    void prcComment();
    void prcDonate();
    void addChosen(const QList<QUrl> &chosen);
    ChangesWindow &changesWindow();

    // EditInputs
    QString findText() const override;
    QString withText() const override;
    bool isOptionTicked(int index) const override;
    int modeCount() const override;
    QString modeText(int index) const override;
    bool isModeTicked(int index) const override;
    bool editsInsideFolders() const override;

    // FileRows
    qint64 rowCount() const override;
    QByteArray rowTag(qint64 position) const override;
    void removeAllRows() override;

    // EditDisplay
    void activityChanged(const RunState &state) override;
    void showNothingListed() override;
    bool askToClear() override;
    bool askToUndo(const UndoQuestion &question) override;
    void showProgress(const Progress &progress) override;
    void showModePass() override;
    void showRunEnd(const RunSummary &summary) override;
    void showUndoProgress(const Progress &progress) override;
    void showUndoEnd(const UndoSummary &summary) override;
    void yield() override;

    // While a run or an undo is in progress, the pointer is busy and the
    // captions reach the screen once a frame.
    void setWorking(bool working);
    void setModeCaption(const QString &caption);

    std::array<QLabel *, 2> Label2{};
    QPlainTextEdit *Combo2 = nullptr;
    QPlainTextEdit *Combo3 = nullptr;
    FileListView *LVFile = nullptr;
    std::array<QPushButton *, 3> Command1{};   // by CommandIndex: Execute, Stop, Clear
    StatusLine *Label1 = nullptr;
    QLabel *Label3 = nullptr;
    QGroupBox *Frame1 = nullptr;
    CheckList *List1 = nullptr;
    CheckList *List2 = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    QAction *mnuPreview = nullptr;
    QAction *mnuUndo = nullptr;
    QAction *mnuReview = nullptr;
    QAction *mnuFolders = nullptr;

    // The one About window: created at the first Help > About, hidden by its
    // OK button, and gone (null) after its close box.
    QPointer<frmAbout> m_frmAbout;
    // The Changes window: made at the first preview or review, then shown again.
    ChangesWindow *m_changes = nullptr;
    bool m_working = false;   // a run or an undo is in progress (see setWorking())
    QString m_modeCaption;    // the mode line's latest text, shown once a frame during a run
    QElapsedTimer m_frameClock;
    static constexpr std::chrono::milliseconds kFrameInterval{40};
    EditRun m_run;
};
