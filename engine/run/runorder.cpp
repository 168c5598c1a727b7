#include "runorder.h"

#include "edithost.h"

namespace {

// Steps read ahead at most, whatever they are: a tree of many entries the
// walk passes by holds no more than these in memory at once.
constexpr size_t kMostStepsAhead = 1024;

}   // namespace

RunOrder::RunOrder(const FileRows &rows, qint64 rowCount, bool walksFolders)
    : m_rows(rows)
    , m_walksFolders(walksFolders)
    , m_nextRow(rowCount)
{}

RunOrder::~RunOrder() = default;

std::optional<OrderStep> RunOrder::next()
{
    if (m_ahead.empty())
        return read();
    OrderStep step = std::move(m_ahead.front());
    m_ahead.pop_front();
    if (step.file != 0)
        --m_filesAhead;
    return step;
}

void RunOrder::readAhead(qsizetype files, const std::function<void(const OrderStep &)> &found)
{
    while (m_filesAhead < files && m_ahead.size() < kMostStepsAhead) {
        std::optional<OrderStep> step = read();
        if (!step)
            return;
        if (step->file != 0) {
            ++m_filesAhead;
            found(*step);
        }
        m_ahead.push_back(std::move(*step));
    }
}

void RunOrder::restartAt(qint64 position)
{
    m_ahead.clear();
    m_filesAhead = 0;
    m_walk.reset();
    m_nextRow = position;
}

std::optional<OrderStep> RunOrder::read()
{
    if (m_walk) {
        WalkStep step = m_walk->next();
        if (step.kind != WalkStep::Kind::End)
            return fromWalk(std::move(step));
        m_walk.reset();
    }
    return readRow();
}

std::optional<OrderStep> RunOrder::readRow()
{
    // Rows dropped on the list during the run lie past its first row count;
    // after a Clear there is no row left to read.
    if (m_nextRow < 1 || m_nextRow > m_rows.rowCount())
        return std::nullopt;
    OrderStep row{OrderStep::Kind::Row, m_nextRow, m_rows.rowTag(m_nextRow)};
    --m_nextRow;
    if (m_walksFolders) {
        ::stat(row.path.constData(), &row.status);
        if (S_ISDIR(row.status.st_mode)) {
            m_walk = std::make_unique<FolderWalk>(row.path);
            m_walkedRow = row.position;
            return row;
        }
    }
    row.file = ++m_lastFile;
    return row;
}

OrderStep RunOrder::fromWalk(WalkStep step)
{
    OrderStep file{OrderStep::Kind::FolderFile, m_walkedRow, std::move(step.path)};
    switch (step.kind) {
    case WalkStep::Kind::File:
        file.file = ++m_lastFile;
        file.status = step.status;
        break;
    case WalkStep::Kind::Skipped:
        file.kind = OrderStep::Kind::Skipped;
        file.skip = step.skip;
        break;
    case WalkStep::Kind::FolderFailed:
        file.kind = OrderStep::Kind::FolderFailed;
        file.error = step.error;
        break;
    case WalkStep::Kind::End:
        break;
    }
    return file;
}
