#include "form1.h"

#include "appsetup.h"
#include "checklist.h"
#include "commandbutton.h"
#include "editmodes.h"
#include "filelistview.h"
#include "foldersentry.h"
#include "frmabout.h"
#include "statusline.h"

#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>

namespace {

// The layout in pixels, relative to the client area below the menu bar, or to
// Frame1 for the two lists. The window is not resizable, so nothing is laid
// out by Qt's layouts.
constexpr QSize kClientSize(347, 436);
constexpr QRect kLabel2Geometry[] = {{0, 11, 57, 17}, {0, 48, 41, 17}};
constexpr QRect kCombo2Geometry(56, 8, 281, 35);
constexpr QRect kCombo3Geometry(56, 48, 281, 35);
constexpr QRect kLVFileGeometry(8, 112, 329, 121);
constexpr QRect kCommand1Geometry[] = {{160, 240, 81, 17}, {256, 240, 81, 17}, {8, 240, 81, 17}};
constexpr QRect kLabel1Geometry(0, 264, 337, 33);
constexpr QRect kLabel3Geometry(0, 296, 329, 17);
constexpr QRect kFrame1Geometry(8, 312, 329, 105);
constexpr QRect kList1Geometry(8, 16, 137, 77);
constexpr QRect kList2Geometry(176, 16, 145, 77);
constexpr QRect kStatusBar1Geometry(0, 419, 347, 17);

const QString kIdleCaption = QStringLiteral("...");

// What each button of the Command1 array does, by CommandIndex.
constexpr void (EditRun::*kCommandActions[])() = {&EditRun::execute, &EditRun::stop, &EditRun::clear};

template<class Label = QLabel>
Label *makeLabel(const QString &objectName, const QString &caption, const QRect &geometry, QWidget *parent)
{
    auto *label = new Label(caption, parent);
    label->setObjectName(objectName);
    label->setGeometry(geometry);
    // A fixed size also spares the window a layout request every time the run
    // changes a caption.
    label->setFixedSize(geometry.size());
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    return label;
}

QPlainTextEdit *makeTextBox(const QString &objectName, const QString &toolTip, const QRect &geometry, QWidget *parent)
{
    auto *box = new QPlainTextEdit(parent);
    box->setObjectName(objectName);
    box->setGeometry(geometry);
    box->setToolTip(toolTip);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setTabChangesFocus(true);
    // Only the file list takes drops; a file dropped here must not turn into text.
    box->setAcceptDrops(false);
    return box;
}

}   // namespace

Form1::Form1(QWidget *parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                              | Qt::WindowCloseButtonHint)
    , m_run(*this, *this, *this)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Orvanta - Textorum"));
    createControls();
    createMenus();
    setFocusOrder();
    setAccessibleNames();
    // The client area is fixed, so the window is as large as the menu bar and
    // the client area together and cannot be resized.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    Combo2->setFocus();
}

Form1::~Form1()
{
    setWorking(false);
    delete m_frmAbout.data();
}

void Form1::addPaths(const QList<QByteArray> &paths)
{
    LVFile->addPaths(paths);
}

void Form1::createControls()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(kClientSize);
    setCentralWidget(client);

    Label2[0] = makeLabel(QStringLiteral("Label2_0"), QStringLiteral("Find:"), kLabel2Geometry[0], client);
    Combo2 = makeTextBox(QStringLiteral("Combo2"), QStringLiteral("Find the text in the files listed"), kCombo2Geometry,
                         client);
    Label2[1] = makeLabel(QStringLiteral("Label2_1"), QStringLiteral("With:"), kLabel2Geometry[1], client);
    Combo3 = makeTextBox(QStringLiteral("Combo3"), QStringLiteral("custom Specify Text to be used for editing"),
                         kCombo3Geometry, client);
    for (QLabel *label : Label2)
        label->setFont(captionFont());

    LVFile = new FileListView(client);
    LVFile->setObjectName(QStringLiteral("LVFile"));
    LVFile->setGeometry(kLVFileGeometry);

    // Made in their order on screen, which is the order assistive tools list
    // them in; the Tab order is set apart.
    const QString captions[] = {QStringLiteral("&Execute"), QStringLiteral("&Stop"), QStringLiteral("&Clear")};
    for (const CommandIndex command : {CommandIndex::Clear, CommandIndex::Execute, CommandIndex::Stop}) {
        const int index = int(command);
        auto *button = new CommandButton(captions[index], client);
        button->setObjectName(QStringLiteral("Command1_%1").arg(index));
        button->setGeometry(kCommand1Geometry[index]);
        connect(button, &QPushButton::clicked, this, [this, index] { Command1_Click(index); });
        Command1[index] = button;
    }
    Command1[int(CommandIndex::Stop)]->setEnabled(false);

    Label1 = makeLabel<StatusLine>(QStringLiteral("Label1"), kIdleCaption, kLabel1Geometry, client);
    Label3 = makeLabel(QStringLiteral("Label3"), kIdleCaption, kLabel3Geometry, client);
    m_modeCaption = kIdleCaption;

    Frame1 = new QGroupBox(QStringLiteral("Options"), client);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(kFrame1Geometry);
    // The frame line runs through the middle of the caption: Fusion would put
    // it below the caption, right where the two lists start.
    Frame1->setStyleSheet(QStringLiteral("QGroupBox { border: 1px solid palette(mid); margin-top: 6px; }"
                                         "QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; }"));
    List1 = new CheckList(editModeNames(), Frame1);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setGeometry(kList1Geometry);
    List1->setToolTip(QStringLiteral("Select the mode of editing"));
    connect(List1, &CheckList::ItemCheck, this, &Form1::List1_ItemCheck);
    List2 = new CheckList({QStringLiteral("Single Line File"), QStringLiteral("Enumerate Lines"),
                           QStringLiteral("Case Sensitive"), QStringLiteral("Remove Indentation")},
                          Frame1);
    List2->setObjectName(QStringLiteral("List2"));
    List2->setGeometry(kList2Geometry);
    List2->setToolTip(QStringLiteral("Select how the file will end up"));

    StatusBar1 = new QStatusBar(client);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setGeometry(kStatusBar1Geometry);
    StatusBar1->setSizeGripEnabled(false);
    // One sunken panel across the bar, so that it shows as a bar although it
    // never holds text. A panel widget would not fit: the bar keeps 3 px above
    // its widgets, and 14 px is less than a framed widget asks for.
    StatusBar1->setStyleSheet(QStringLiteral("QStatusBar { border: 1px inset palette(mid); margin: 1px 0 0 0; }"));
}

void Form1::createMenus()
{
    auto addEntry = [this](QMenu *menu, const QString &objectName, const QString &caption, const QKeySequence &shortcut,
                           void (Form1::*handler)()) {
        QAction *action = menu->addAction(caption, this, handler);
        action->setObjectName(objectName);
        action->setShortcut(shortcut);
        return action;
    };
    auto addSeparator = [](QMenu *menu, const QString &objectName) { menu->addSeparator()->setObjectName(objectName); };

    QMenu *mnuFile = menuBar()->addMenu(QStringLiteral("File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    addEntry(mnuFile, QStringLiteral("mnuAddFiles"), QStringLiteral("Add Files..."), QKeySequence(Qt::CTRL | Qt::Key_O),
             &Form1::mnuAddFiles_Click);
    addEntry(mnuFile, QStringLiteral("mnuAddFolder"), QStringLiteral("Add Folder..."), {}, &Form1::mnuAddFolder_Click);
    addSeparator(mnuFile, QStringLiteral("mnuS1"));
    addEntry(mnuFile, QStringLiteral("mnuExecute"), QStringLiteral("Execute Edit Process"),
             QKeySequence(Qt::CTRL | Qt::Key_E), &Form1::mnuExecute_Click);
    mnuPreview = addEntry(mnuFile, QStringLiteral("mnuPreview"), QStringLiteral("Preview Edit Process"),
                          QKeySequence(Qt::CTRL | Qt::Key_P), &Form1::mnuPreview_Click);
    // Del and Ctrl+X are also a text box's delete and cut keys: while the Find
    // or With box has the focus, Qt's text edit claims them through
    // ShortcutOverride, so they act on the text there and not on these entries.
    addEntry(mnuFile, QStringLiteral("mnuClear"), QStringLiteral("Clear Listed Files"), QKeySequence(Qt::Key_Delete),
             &Form1::mnuClear_Click);
    // Ctrl+Z in the Find or With box undoes the typing there, as above.
    mnuUndo = addEntry(mnuFile, QStringLiteral("mnuUndo"), QStringLiteral("Undo Last Edit Run"),
                       QKeySequence(Qt::CTRL | Qt::Key_Z), &Form1::mnuUndo_Click);
    mnuUndo->setEnabled(false);
    mnuReview = addEntry(mnuFile, QStringLiteral("mnuReview"), QStringLiteral("Review Last Edit Run"),
                         QKeySequence(Qt::CTRL | Qt::Key_R), &Form1::mnuReview_Click);
    mnuReview->setEnabled(false);
    mnuFolders = addFoldersEntry(mnuFile);
    addSeparator(mnuFile, QStringLiteral("mnuS0"));
    addEntry(mnuFile, QStringLiteral("mnuExit"), QStringLiteral("E&xit"), QKeySequence(Qt::CTRL | Qt::Key_X),
             &Form1::mnuExit_Click);

    QMenu *mnuHelp = menuBar()->addMenu(QStringLiteral("Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    addEntry(mnuHelp, QStringLiteral("mnuProgWP"), QStringLiteral("Program Webpage"), {}, &Form1::mnuProgWP_Click);
    addEntry(mnuHelp, QStringLiteral("mnuT"), QStringLiteral("Tutorials n Contents"), QKeySequence(Qt::Key_F1),
             &Form1::mnuT_Click);
    addSeparator(mnuHelp, QStringLiteral("mnuSep"));
    addEntry(mnuHelp, QStringLiteral("mnuComment"), QStringLiteral("Send Comments to developers"), {},
             &Form1::mnuComment_Click);
    addEntry(mnuHelp, QStringLiteral("mnuDonate"), QStringLiteral("Make Donation"), {}, &Form1::mnuDonate_Click);
    addSeparator(mnuHelp, QStringLiteral("mnuSep0"));
    addEntry(mnuHelp, QStringLiteral("mnuAbout"), QStringLiteral("About"), {}, &Form1::mnuAbout_Click);
}

void Form1::setFocusOrder()
{
    QWidget *const order[] = {Combo2,
                              Combo3,
                              LVFile,
                              Command1[int(CommandIndex::Clear)],
                              Command1[int(CommandIndex::Execute)],
                              Command1[int(CommandIndex::Stop)],
                              List1,
                              List2};
    for (size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

// What a screen reader says for each control that takes the focus; the
// buttons are named by their captions already. Nothing on screen changes: the
// labels hold no access key, so being the boxes' buddies only tells assistive
// tools which label belongs to which box, and the names drop their colons.
// The lists describe themselves by their tooltips, which Qt's item views do
// not do by themselves.
void Form1::setAccessibleNames()
{
    Label2[0]->setBuddy(Combo2);
    Label2[1]->setBuddy(Combo3);
    Combo2->setAccessibleName(QStringLiteral("Find"));
    Combo3->setAccessibleName(QStringLiteral("With"));
    LVFile->setAccessibleName(QStringLiteral("Files to edit"));
    List1->setAccessibleName(QStringLiteral("Edit mode"));
    List2->setAccessibleName(QStringLiteral("Options"));
    for (QWidget *list : std::initializer_list<QWidget *>{LVFile, List1, List2})
        list->setAccessibleDescription(list->toolTip());
}

void Form1::Command1_Click(int index)
{
    (m_run.*kCommandActions[index])();
}

void Form1::mnuExecute_Click()
{
    m_run.execute();
}

void Form1::mnuClear_Click()
{
    m_run.clear();
}

void Form1::mnuUndo_Click()
{
    m_run.undo();
}

// Keeps at most one mode ticked. It yields before every untick, as the list
// always has, so a tick the user changes meanwhile is handled by a nested
// call; setTicked() itself never calls this again.
void Form1::List1_ItemCheck(int index)
{
    const bool ticked = List1->isTicked(index);
    const int count = List1->count();
    for (int item = 0; item < count; ++item) {
        yield();
        List1->setTicked(item, false);
    }
    List1->setTicked(index, ticked);
}
