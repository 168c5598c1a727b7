#include "boxanswerer.h"
#include "columntexts.h"
#include "filelistmodel.h"
#include "filelistview.h"
#include "filesystem.h"
#include "localeguard.h"

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QHeaderView>
#include <QMessageBox>
#include <QMimeData>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

class FileListViewTest : public QObject
{
    Q_OBJECT
private slots:
    void appearance();
    void modelOperations();
    void anyDragIsWelcome();
    void dropNeverMoves_data();
    void dropNeverMoves();
    void namesThatAreNotUtf8();
    void drop_data();
    void drop();
    void dropWithoutFiles_data();
    void dropWithoutFiles();
    void failureEndsTheDrop_data();
    void failureEndsTheDrop();
    void removeFromList_data();
    void removeFromList();
    void cutCellShowsItsText();
};

namespace {

const QString Warning = QStringLiteral("Warning Ok Textorum: Please Drag and Drop Valid Files Only");
const QString AddAnyway = QStringLiteral(
    "Question Yes|No Textorum: The file/folder you are attempting to add does not exists: %1\r\nAdd anyway?");

const QDateTime Modified(QDate(2020, 2, 29), QTime(13, 14, 15));
const QString ModifiedText = QStringLiteral("2/29/20 1:14:15 PM");

// The box as one line: icon, buttons, title and text.
QString describe(const SeenBox &box)
{
    const QString icon = box.icon == QMessageBox::Question  ? "Question"
                         : box.icon == QMessageBox::Warning ? "Warning"
                                                            : "other icon";
    QStringList buttons;
    for (const auto &[button, name] :
         {std::pair{QMessageBox::Yes, "Yes"}, {QMessageBox::No, "No"}, {QMessageBox::Ok, "Ok"}}) {
        if (box.buttons.testFlag(button))
            buttons.append(QString::fromLatin1(name));
    }
    if (box.buttonCount != buttons.size())
        buttons.append("other buttons");
    // A path such as "a<br>b.txt" read as markup would lose parts of its name.
    const QString format = box.textFormat == Qt::PlainText ? QString() : QStringLiteral(" (markup)");
    return QStringLiteral("%1 %2 %3%4: %5").arg(icon, buttons.join(u'|'), box.title, format, box.text);
}

// Fails the length of one file or the total size of one folder, as a file
// that turns unreadable during the drop would.
class FailingFileSystem : public LocalFileSystem
{
public:
    explicit FailingFileSystem(const QString &failingPath) : m_failingPath(QFile::encodeName(failingPath)) {}

    std::optional<qint64> FileLength(const QByteArray &path) const override
    {
        return path == m_failingPath ? std::nullopt : LocalFileSystem::FileLength(path);
    }
    std::optional<qint64> FolderSize(const QByteArray &path) const override
    {
        return path == m_failingPath ? std::nullopt : LocalFileSystem::FolderSize(path);
    }

private:
    QByteArray m_failingPath;
};

// QFile cannot open a folder to set its times, so this goes to the system.
void setFolderModified(const QString &path)
{
    const timespec times[2] = {{0, UTIME_OMIT}, {time_t(Modified.toSecsSinceEpoch()), 0}};
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

// How far a row got before its drop failed.
enum class Filled { Complete, NameAndTag, NameTagAndLocation };

// The files to drop, with the size texts their rows must show.
const QList<std::tuple<QString, qint64, QString>> DroppedFiles{
    {"a.txt", 1536, "2 KB"}, {"b.txt", 511, "0 KB"}, {"c.txt", 0, "0 KB"}, {"d.txt", 0, "0 KB"}, {"e.txt", 0, "0 KB"}};

// The files above and folder/, holding 2048 bytes in two files at two depths.
class DropFolder
{
public:
    DropFolder()
    {
        QVERIFY(m_temp.isValid());
        for (const auto &[name, length, sizeText] : DroppedFiles)
            writeFile(name, length);
        QVERIFY(QDir(m_temp.path()).mkpath("folder/sub"));
        writeFile("folder/one.bin", 1000);
        writeFile("folder/sub/two.bin", 1048);
        setFolderModified(filePath("folder"));
    }

    QString path() const { return QDir::cleanPath(m_temp.path()); }
    QString filePath(const QString &name) const { return path() + u'/' + name; }

    FileEntry expectedRow(const QString &name, Filled filled = Filled::Complete) const
    {
        const QString itemPath = filePath(name);
        const QFileInfo info(itemPath);
        FileEntry row;
        row.tag = QFile::encodeName(itemPath);
        const auto set = [&row](FileColumn column, const QString &text) { row.texts[size_t(column)] = text; };
        if (name.startsWith("folder")) {
            set(FileColumn::Name, filePath("folder"));
            set(FileColumn::Location, path());
            if (filled == Filled::NameTagAndLocation)
                return row;
            set(FileColumn::Size, "2. KB");
            set(FileColumn::Accessed, dateText(info.lastRead()));
            set(FileColumn::Modified, ModifiedText);
        } else if (!info.exists()) {
            set(FileColumn::Name, name);
            set(FileColumn::Size, "n/a");
            set(FileColumn::Location, path());
        } else {
            set(FileColumn::Name, name);
            if (filled == Filled::NameAndTag)
                return row;
            const auto file = std::find_if(DroppedFiles.cbegin(), DroppedFiles.cend(),
                                           [&name](const auto &dropped) { return std::get<0>(dropped) == name; });
            set(FileColumn::Size, std::get<2>(*file));
            set(FileColumn::Location, path());
            set(FileColumn::Accessed, dateText(info.lastRead()));
            set(FileColumn::Modified, ModifiedText);
            set(FileColumn::Created, dateText(info.birthTime()));
            set(FileColumn::Type, "plain text document");
        }
        return row;
    }

private:
    void writeFile(const QString &name, qint64 length)
    {
        QFile file(filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(length));
        QVERIFY(file.setFileTime(Modified, QFileDevice::FileModificationTime));
    }

    QTemporaryDir m_temp;
};

QMimeData *fileUrls(const DropFolder &folder, const QStringList &names)
{
    auto *data = new QMimeData;
    QList<QUrl> urls;
    for (const QString &name : names)
        urls.append(QUrl::fromLocalFile(folder.filePath(name)));
    data->setUrls(urls);
    return data;
}

// How the drag source offers the drop: the actions it allows, and the one it
// proposes (Move while Shift is held).
struct DragOffer
{
    Qt::DropActions offered = Qt::CopyAction;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
};

// Drags the data over the list's viewport and drops it there, as the window
// system would, answering the boxes on the way; `action` is what the source
// is told the drop did.
QStringList dropOn(FileListView &view, const QMimeData &data, const QList<int> &answers = {},
                   const DragOffer &offer = {}, Qt::DropAction *action = nullptr)
{
    const QPoint centre = view.viewport()->rect().center();
    QDragEnterEvent enter(centre, offer.offered, &data, Qt::LeftButton, offer.modifiers);
    QApplication::sendEvent(view.viewport(), &enter);
    if (!enter.isAccepted())
        return {"drag refused"};
    QList<QMessageBox::StandardButton> buttons;
    for (int answer : answers)
        buttons.append(QMessageBox::StandardButton(answer));
    const BoxAnswerer answerer(buttons);
    QDropEvent drop(centre, offer.offered, &data, Qt::LeftButton, offer.modifiers);
    QApplication::sendEvent(view.viewport(), &drop);
    QStringList shown;
    for (const SeenBox &box : answerer.seen())
        shown.append(describe(box));
    if (!drop.isAccepted())
        shown.append("drop refused");
    if (action)
        *action = drop.dropAction();
    return shown;
}

void compareRows(const FileListModel &model, const QList<FileEntry> &expected)
{
    QCOMPARE(model.rowCount(), int(expected.size()));
    for (int row = 0; row < model.rowCount(); ++row) {
        for (int column = 0; column < int(FileColumn::Count); ++column) {
            const QString where = QStringLiteral("row %1 column %2").arg(row).arg(column);
            QVERIFY2(model.entry(row).texts[size_t(column)] == expected[row].texts[size_t(column)],
                     qPrintable(where + ": \"" + model.entry(row).texts[size_t(column)] + "\" expected \""
                                + expected[row].texts[size_t(column)] + '"'));
            QCOMPARE(model.data(model.index(row, column), Qt::DisplayRole).toString(),
                     expected[row].texts[size_t(column)]);
        }
        QCOMPARE(model.entry(row).tag, expected[row].tag);
        QCOMPARE(model.tag(row + 1), expected[row].tag);
    }
}

}   // namespace

void FileListViewTest::appearance()
{
    FileListView view;
    QCOMPARE(view.objectName(), "LVFile");
    const FileListModel &model = *view.fileModel();
    const QStringList headers{"File", "Size", "File Path Location", "Last Accessed", "Modified", "Created", "Type",
                              "",     ""};
    QCOMPARE(model.columnCount(), int(headers.size()));
    for (int column = 0; column < model.columnCount(); ++column) {
        QCOMPARE(model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString(), headers[column]);
        const Qt::Alignment horizontal = column == int(FileColumn::Size) ? Qt::AlignRight : Qt::AlignLeft;
        QCOMPARE(model.headerData(column, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>()
                     & Qt::AlignHorizontal_Mask,
                 horizontal);
        QCOMPARE(view.columnWidth(column), 96);
    }
    QVERIFY(!view.header()->isHidden());
    QVERIFY(!view.header()->stretchLastSection());
    QVERIFY(!view.rootIsDecorated());
    QVERIFY(view.uniformRowHeights());
    QVERIFY(!view.isSortingEnabled());
    QCOMPARE(view.toolTip(), "Drag and Drop file(s) here to be edited");
    QVERIFY(view.acceptDrops());
    QCOMPARE(model.rowCount(), 0);
}

void FileListViewTest::modelOperations()
{
    FileListView view;
    FileListModel &model = *view.fileModel();
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

    for (int i = 0; i < 3; ++i) {
        const int row = model.appendRow();
        QCOMPARE(row, i);
        model.setText(row, FileColumn::Name, QStringLiteral("name %1").arg(i));
        model.setText(row, FileColumn::Size, QStringLiteral("%1 KB").arg(i));
        model.setTag(row, "/tag/" + QByteArray::number(i));
    }
    model.setTag(2, "/tag/0");   // no key: a path may stand twice
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.tag(1), "/tag/0");
    QCOMPARE(model.tag(2), "/tag/1");
    QCOMPARE(model.tag(3), "/tag/0");
    QCOMPARE(model.data(model.index(1, int(FileColumn::Name)), Qt::DisplayRole).toString(), "name 1");
    QCOMPARE(model.data(model.index(1, int(FileColumn::Size)), Qt::TextAlignmentRole).value<Qt::Alignment>()
                 & Qt::AlignHorizontal_Mask,
             Qt::AlignRight);
    QCOMPARE(model.data(model.index(1, int(FileColumn::Spare2)), Qt::DisplayRole).toString(), "");

    model.removeAllRows();
    QCOMPARE(model.rowCount(), 0);
    model.removeAllRows();
    QCOMPARE(model.appendRow(), 0);
    QCOMPARE(model.tag(1), "");
}

void FileListViewTest::anyDragIsWelcome()
{
    FileListView view;
    QMimeData text;
    text.setText("not a file");
    const QPoint centre = view.viewport()->rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &enter);
    QVERIFY(enter.isAccepted());
    QCOMPARE(enter.dropAction(), Qt::CopyAction);
    QDragMoveEvent move(centre, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &move);
    QVERIFY(move.isAccepted());
}

void FileListViewTest::dropNeverMoves_data()
{
    QTest::addColumn<Qt::DropActions>("offered");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<Qt::DropAction>("told");
    QTest::addColumn<int>("rows");
    const Qt::DropActions all = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    QTest::newRow("Shift proposes Move") << all << Qt::KeyboardModifiers(Qt::ShiftModifier) << Qt::CopyAction << 1;
    QTest::newRow("Ctrl+Shift proposes Link")
        << all << (Qt::ShiftModifier | Qt::ControlModifier) << Qt::CopyAction << 1;
    QTest::newRow("a source that offers only Link")
        << Qt::DropActions(Qt::LinkAction) << Qt::KeyboardModifiers() << Qt::LinkAction << 1;
    QTest::newRow("a source that offers only Move is refused")
        << Qt::DropActions(Qt::MoveAction) << Qt::KeyboardModifiers() << Qt::IgnoreAction << 0;
}

// The drag source is told Copy, whatever it proposed: told Move, a file
// manager may delete the files it believes were moved.
void FileListViewTest::dropNeverMoves()
{
    QFETCH(Qt::DropActions, offered);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(Qt::DropAction, told);
    QFETCH(int, rows);
    const DropFolder folder;
    FileListView view;
    const std::unique_ptr<QMimeData> data(fileUrls(folder, {"a.txt"}));
    Qt::DropAction action = Qt::IgnoreAction;
    const QStringList shown = dropOn(view, *data, {}, {offered, modifiers}, &action);
    QCOMPARE(shown, rows ? QStringList{} : QStringList{"drag refused"});
    if (rows)
        QCOMPARE(action, told);
    QCOMPARE(view.fileModel()->rowCount(), rows);
}

void FileListViewTest::drop_data()
{
    QTest::addColumn<QStringList>("dropped");
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("boxes");
    QTest::newRow("one file") << QStringList{"a.txt"} << QList<int>{} << QStringList{"a.txt"} << QStringList{};
    QTest::newRow("files in the order dropped") << QStringList{"b.txt", "a.txt", "c.txt"} << QList<int>{}
                                                << QStringList{"b.txt", "a.txt", "c.txt"} << QStringList{};
    QTest::newRow("same file twice gives two rows")
        << QStringList{"a.txt", "a.txt"} << QList<int>{} << QStringList{"a.txt", "a.txt"} << QStringList{};
    QTest::newRow("folder shows its full path")
        << QStringList{"folder"} << QList<int>{} << QStringList{"folder"} << QStringList{};
    QTest::newRow("folder dropped with trailing separator")
        << QStringList{"folder/"} << QList<int>{} << QStringList{"folder/"} << QStringList{};
    QTest::newRow("missing answered yes")
        << QStringList{"a.txt", "gone.txt", "b.txt"} << QList<int>{QMessageBox::Yes}
        << QStringList{"a.txt", "gone.txt", "b.txt"} << QStringList{AddAnyway.arg("%1/gone.txt")};
    QTest::newRow("missing answered no") << QStringList{"a.txt", "gone.txt", "b.txt"} << QList<int>{QMessageBox::No}
                                         << QStringList{"a.txt", "b.txt"} << QStringList{AddAnyway.arg("%1/gone.txt")};
    QTest::newRow("two missing, yes then no")
        << QStringList{"gone.txt", "lost.txt"} << QList<int>{QMessageBox::Yes, QMessageBox::No}
        << QStringList{"gone.txt"} << QStringList{AddAnyway.arg("%1/gone.txt"), AddAnyway.arg("%1/lost.txt")};
}

void FileListViewTest::drop()
{
    QFETCH(QStringList, dropped);
    QFETCH(QList<int>, answers);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, boxes);
    const auto restore = useLocale(UnitedStates);
    const DropFolder folder;
    FileListView view;
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    const std::unique_ptr<QMimeData> data(fileUrls(folder, dropped));
    const QStringList shown = dropOn(view, *data, answers);

    for (QString &box : boxes)
        box = box.arg(folder.path());
    QCOMPARE(shown, boxes);
    QList<FileEntry> expected;
    for (const QString &name : rows)
        expected.append(folder.expectedRow(name));
    compareRows(*view.fileModel(), expected);
}

void FileListViewTest::dropWithoutFiles_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("text") << "text/plain" << QByteArray("/etc/hostname");
    QTest::newRow("image") << "image/png" << QByteArray("\x89PNG\r\n\x1a\n", 8);
    QTest::newRow("web link") << "text/uri-list" << QByteArray("https://example.org/notes.txt\r\n");
    QTest::newRow("web link among files")
        << "text/uri-list" << QByteArray("file:///etc/hostname\r\nhttps://example.org/\r\n");
    QTest::newRow("empty file list") << "text/uri-list" << QByteArray();
    QTest::newRow("nothing at all") << "" << QByteArray();
}

void FileListViewTest::dropWithoutFiles()
{
    QFETCH(QString, format);
    QFETCH(QByteArray, content);
    FileListView view;
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QMimeData data;
    if (!format.isEmpty())
        data.setData(format, content);
    QCOMPARE(dropOn(view, data), QStringList{Warning});
    QCOMPARE(view.fileModel()->rowCount(), 0);
}

void FileListViewTest::failureEndsTheDrop_data()
{
    QTest::addColumn<QStringList>("dropped");
    QTest::addColumn<QString>("failing");
    QTest::addColumn<QStringList>("completeRows");
    QTest::addColumn<Filled>("lastRowFilled");
    QTest::newRow("third file of five has no length") << QStringList{"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"}
                                                      << "c.txt" << QStringList{"a.txt", "b.txt"} << Filled::NameAndTag;
    QTest::newRow("folder tree cannot be read")
        << QStringList{"a.txt", "folder", "b.txt"} << "folder" << QStringList{"a.txt"} << Filled::NameTagAndLocation;
}

void FileListViewTest::failureEndsTheDrop()
{
    QFETCH(QStringList, dropped);
    QFETCH(QString, failing);
    QFETCH(QStringList, completeRows);
    QFETCH(Filled, lastRowFilled);
    const auto restore = useLocale(UnitedStates);
    const DropFolder folder;
    FileListView view;
    view.setFileSystem(std::make_unique<FailingFileSystem>(folder.filePath(failing)));
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    const std::unique_ptr<QMimeData> data(fileUrls(folder, dropped));
    QCOMPARE(dropOn(view, *data), QStringList{Warning});
    QList<FileEntry> expected;
    for (const QString &name : completeRows)
        expected.append(folder.expectedRow(name));
    expected.append(folder.expectedRow(failing, lastRowFilled));
    compareRows(*view.fileModel(), expected);
    if (QTest::currentTestFailed())
        return;

    // The list stays usable: the next drop is handled afresh.
    const std::unique_ptr<QMimeData> next(fileUrls(folder, {"e.txt"}));
    QCOMPARE(dropOn(view, *next), QStringList{});
    expected.append(folder.expectedRow("e.txt"));
    compareRows(*view.fileModel(), expected);
}

// A Latin-1 name ("caf" 0xE9 ".txt") is no UTF-8: through a QString it would
// name another file. The drop's URL carries its bytes percent-encoded; the
// rows keep them as the tag and show them readably, with U+FFFD for the byte.
void FileListViewTest::namesThatAreNotUtf8()
{
    const auto restore = useLocale(UnitedStates);
    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    const QByteArray root = QFile::encodeName(QDir::cleanPath(temp.path()));
    const QByteArray file = root + "/caf\xe9.txt";
    const QByteArray folder = root + "/dossier \xe9t\xe9";
    const auto write = [](const QByteArray &path, qint64 length) {
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        QVERIFY(fd >= 0);
        QCOMPARE(::ftruncate(fd, length), 0);
        QCOMPARE(::close(fd), 0);
    };
    write(file, 1536);
    QCOMPARE(::mkdir(folder.constData(), 0700), 0);
    write(folder + "/\xe9t\xe9.txt", 2048);

    QMimeData data;
    QList<QUrl> urls;
    for (const QByteArray &path : {file, folder})
        urls.append(QUrl::fromEncoded("file://" + path.toPercentEncoding("/")));
    data.setUrls(urls);
    FileListView view;
    QCOMPARE(dropOn(view, data), QStringList{});

    const FileListModel &model = *view.fileModel();
    QCOMPARE(model.rowCount(), 2);
    const QString location = QFile::decodeName(root);
    const auto text = [&model](int row, FileColumn column) { return model.entry(row).texts[size_t(column)]; };
    QCOMPARE(model.tag(1), file);
    QCOMPARE(text(0, FileColumn::Name), QStringLiteral("caf\uFFFD.txt"));
    QCOMPARE(text(0, FileColumn::Size), "2 KB");
    QCOMPARE(text(0, FileColumn::Location), location);
    QCOMPARE(text(0, FileColumn::Type), "plain text document");
    QVERIFY(!text(0, FileColumn::Modified).isEmpty());
    QCOMPARE(model.tag(2), folder);
    QCOMPARE(text(1, FileColumn::Name), location + QStringLiteral("/dossier \uFFFDt\uFFFD"));
    QCOMPARE(text(1, FileColumn::Size), "2. KB");
    QVERIFY(!text(1, FileColumn::Modified).isEmpty());
}

void FileListViewTest::removeFromList_data()
{
    QTest::addColumn<QList<int>>("selected");
    QTest::addColumn<bool>("locked");
    QTest::addColumn<QStringList>("left");
    const QStringList all{"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"};
    QTest::newRow("two rows apart") << QList<int>{1, 3} << false << QStringList{"a.txt", "c.txt", "e.txt"};
    QTest::newRow("a block and a single row") << QList<int>{0, 1, 2, 4} << false << QStringList{"d.txt"};
    QTest::newRow("every row") << QList<int>{0, 1, 2, 3, 4} << false << QStringList{};
    QTest::newRow("nothing selected") << QList<int>{} << false << all;
    QTest::newRow("locked while a run walks the rows") << QList<int>{1} << true << all;
}

// Shift+Del takes the selected rows off the list and nothing else: the other
// rows keep their order, and every file stays on disk.
void FileListViewTest::removeFromList()
{
    QFETCH(QList<int>, selected);
    QFETCH(bool, locked);
    QFETCH(QStringList, left);
    const auto restore = useLocale(UnitedStates);
    const DropFolder folder;
    FileListView view;
    view.show();
    QApplication::setActiveWindow(&view);
    QVERIFY(QTest::qWaitForWindowActive(&view));
    const std::unique_ptr<QMimeData> data(fileUrls(folder, {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"}));
    view.LVFile_OLEDragDrop(data.get());
    for (int row : selected)
        view.selectionModel()->select(view.fileModel()->index(row, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
    view.setRemovalLocked(locked);
    auto *remove = view.findChild<QAction *>("mnuRemove");
    QCOMPARE(remove->text(), "Remove from List");
    QCOMPARE(remove->isEnabled(), !locked && !selected.isEmpty());

    view.setFocus();
    QTest::keyClick(&view, Qt::Key_Delete, Qt::ShiftModifier);

    QList<FileEntry> expected;
    for (const QString &name : left)
        expected.append(folder.expectedRow(name));
    compareRows(*view.fileModel(), expected);
    for (const auto &[name, length, sizeText] : DroppedFiles)
        QVERIFY(QFile::exists(folder.filePath(name)));
}

// A cell too narrow for its text shows the text as its tooltip; a cell that
// shows all of it leaves the list's own tooltip.
void FileListViewTest::cutCellShowsItsText()
{
    const DropFolder folder;
    FileListView view;
    view.resize(500, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    const std::unique_ptr<QMimeData> data(fileUrls(folder, {"a.txt"}));
    view.LVFile_OLEDragDrop(data.get());
    const auto hover = [&view](FileColumn column) {
        const QPoint centre = view.visualRect(view.fileModel()->index(0, int(column))).center();
        QHelpEvent event(QEvent::ToolTip, centre, view.viewport()->mapToGlobal(centre));
        QApplication::sendEvent(view.viewport(), &event);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    QTRY_COMPARE(hover(FileColumn::Location), Qt::convertFromPlainText(folder.path()));
    QToolTip::hideText();
    QTRY_COMPARE(hover(FileColumn::Name), view.toolTip());
    QToolTip::hideText();
}

QTEST_MAIN(FileListViewTest)
#include "tst_filelistview.moc"
