#include "changeswindow.h"

#include "changedfilesmodel.h"
#include "diffview.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QSplitter>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

const QString kGeometryKey = QStringLiteral("changesWindow/geometry");
const QString kSplitterKey = QStringLiteral("changesWindow/splitter");

QPushButton *makeButton(const QString &objectName, const QString &caption, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    return button;
}

}   // namespace

ChangesWindow::ChangesWindow(EditRun &run, QAction *undoEntry, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_run(run)
{
    setObjectName(QStringLiteral("frmChanges"));
    createControls();
    setAccessibleNames();
    m_undo->setEnabled(undoEntry->isEnabled());
    connect(undoEntry, &QAction::enabledChanged, m_undo, &QPushButton::setEnabled);
    connect(m_undo, &QPushButton::clicked, undoEntry, &QAction::trigger);
    resize(900, 560);
    restoreGeometry(QSettings().value(kGeometryKey).toByteArray());
    m_splitter->restoreState(QSettings().value(kSplitterKey).toByteArray());
}

ChangesWindow::~ChangesWindow() = default;

void ChangesWindow::createControls()
{
    m_files = new ChangedFilesModel(this);
    m_list = new QTreeView;
    m_list->setObjectName(QStringLiteral("lstChangedFiles"));
    m_list->setModel(m_files);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(ChangedFilesModel::File, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(ChangedFilesModel::Occurrences, QHeaderView::ResizeToContents);
    connect(m_list->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &ChangesWindow::showFile);
    connect(m_files, &ChangedFilesModel::dataChanged, this, &ChangesWindow::showPreviewState);
    m_counts = new QLabel;
    m_counts->setObjectName(QStringLiteral("lblCounts"));
    m_counts->setWordWrap(true);
    auto *filesPane = new QWidget;
    auto *filesLayout = new QVBoxLayout(filesPane);
    filesLayout->setContentsMargins(0, 0, 0, 0);
    filesLayout->addWidget(m_list, 1);
    filesLayout->addWidget(m_counts);

    m_fileName = new QLabel;
    m_fileName->setObjectName(QStringLiteral("lblDiffFile"));
    m_fileName->setTextFormat(Qt::PlainText);
    m_fileName->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_diff = new DiffView;
    m_diff->setObjectName(QStringLiteral("txtDiff"));
    auto *diffPane = new QWidget;
    auto *diffLayout = new QVBoxLayout(diffPane);
    diffLayout->setContentsMargins(0, 0, 0, 0);
    diffLayout->addWidget(m_fileName);
    diffLayout->addWidget(m_diff, 1);

    m_splitter = new QSplitter(Qt::Horizontal);
    m_splitter->setObjectName(QStringLiteral("splChanges"));
    m_splitter->addWidget(filesPane);
    m_splitter->addWidget(diffPane);
    m_splitter->setStretchFactor(1, 2);
    m_splitter->setChildrenCollapsible(false);

    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("lblChangesStatus"));
    m_status->setTextFormat(Qt::PlainText);
    // Two lines, the progress and the path, as the main window's status line;
    // a long path is cut rather than widening the window.
    m_status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    m_status->setFixedHeight(2 * m_status->fontMetrics().lineSpacing());
    m_stop = makeButton(QStringLiteral("cmdStopPreview"), QStringLiteral("&Stop"), this);
    m_execute = makeButton(QStringLiteral("cmdExecuteTicked"), QStringLiteral("E&xecute Ticked Files"), this);
    m_undo = makeButton(QStringLiteral("cmdUndoRun"), QStringLiteral("&Undo Last Edit Run"), this);
    m_close = makeButton(QStringLiteral("cmdCloseChanges"), QStringLiteral("Close"), this);
    connect(m_stop, &QPushButton::clicked, this, &ChangesWindow::stopPreview);
    connect(m_execute, &QPushButton::clicked, this, &ChangesWindow::executeTicked);
    connect(m_close, &QPushButton::clicked, this, &ChangesWindow::close);
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &ChangesWindow::close);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_status, 1);
    for (QPushButton *button : {m_stop, m_execute, m_undo, m_close})
        bottom->addWidget(button);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_splitter, 1);
    layout->addLayout(bottom);
}

void ChangesWindow::setAccessibleNames()
{
    m_list->setAccessibleName(QStringLiteral("Changed files"));
    m_list->header()->setAccessibleName(QStringLiteral("Changed files columns"));
    m_counts->setAccessibleName(QStringLiteral("Counts"));
    m_fileName->setAccessibleName(QStringLiteral("Selected file"));
    m_diff->setAccessibleName(QStringLiteral("Changes in the selected file"));
    m_diff->setAccessibleDescription(
        QStringLiteral("A unified diff: each line with its old and new line number, then - for a removed line, "
                       "+ for an added line, or a space for a line around them."));
    m_status->setAccessibleName(QStringLiteral("Changes status"));
    m_stop->setAccessibleName(QStringLiteral("Stop the preview"));
    m_execute->setAccessibleName(QStringLiteral("Execute Ticked Files"));
    m_undo->setAccessibleName(QStringLiteral("Undo Last Edit Run"));
    m_close->setAccessibleName(QStringLiteral("Close"));
}

void ChangesWindow::closeEvent(QCloseEvent *event)
{
    stopPreview();
    QSettings settings;
    settings.setValue(kGeometryKey, saveGeometry());
    settings.setValue(kSplitterKey, m_splitter->saveState());
    event->accept();
}
