#pragma once

#include "ordervisit.h"
#include "pipeline.h"
#include "runinputs.h"

#include <QByteArray>

#include <deque>
#include <optional>

// A file of a run to be made ready ahead of its turn: its number in the
// run's order, its path and the ticks of the moment.
struct FileJob
{
    quint64 number = 0;
    QByteArray path;
    FileTicks ticks;
};

// How many files may be made ready ahead under the open-file limit (0 when
// too few to be worth workers): at most 64, each holding up to three
// descriptors, within half of the 256 the undo keeps free.
qsizetype mostFilesAhead();
// The worker threads for going through files from `firstPath` on: `chosen`
// where it is set (above 0), else as many as the processor has cores, 2 to
// 8, and 8 where that file lies on a file system served over a network or
// by FUSE: there each worker mostly waits for the server.
int workerCount(int chosen, const QByteArray &firstPath);
// Whether going through `files` files is worth `workers` workers.
bool isWorthWorkers(int workers, qint64 files);
// The workers for going through the rows from `rowCount` down to the first,
// or 0 where they are not worth it; with `walksFolders`, a folder row may
// stand for any number of files.
int workersForRows(int chosen, const FileRows &rows, qint64 rowCount, bool walksFolders);

// The files of a run made ready by worker threads ahead of their turn, in
// the run's order, and taken back one by one at their turn.
template<typename Result>
class JobsAhead : public AheadOfTurn
{
public:
    using Prepare = typename Pipeline<FileJob, Result>::Work;

    JobsAhead(int workers, const FileTicks &ticks, Prepare prepare)
        : m_ticks(ticks)
        , m_pipeline(workers, std::move(prepare))
    {}

    qsizetype mostAhead() const override { return m_mostAhead; }
    void give(const OrderStep &file) override
    {
        m_given.push_back({file.file, file.path, m_ticks});
        m_pipeline.push(m_given.back());
    }
    void dropAll() override
    {
        m_pipeline.dropAll();
        m_given.clear();
    }

    // What was made of `file` with `ticks`; nothing where it was not given.
    // Files given before it and not taken (visited once already) are dropped;
    // files made with other ticks are dropped and given again with these: a
    // change of the ticks applies to the files after it.
    std::optional<Result> take(const OrderStep &file, const FileTicks &ticks)
    {
        if (ticks != m_ticks) {
            m_ticks = ticks;
            m_pipeline.dropAll();
            for (FileJob &job : m_given) {
                job.ticks = ticks;
                m_pipeline.push(job);
            }
        }
        for (; !m_given.empty() && m_given.front().number < file.file; m_given.pop_front())
            m_pipeline.dropFirst();
        if (m_given.empty() || m_given.front().number != file.file)
            return std::nullopt;
        m_given.pop_front();
        return m_pipeline.take();
    }

private:
    FileTicks m_ticks;             // what the files are given with
    std::deque<FileJob> m_given;   // given and not yet taken, as the pipeline holds them
    const qsizetype m_mostAhead = mostFilesAhead();
    Pipeline<FileJob, Result> m_pipeline;   // last: its workers stop before the rest goes
};
