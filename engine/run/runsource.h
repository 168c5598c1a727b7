#pragma once

#include "edithost.h"
#include "previewedfile.h"

#include <QHash>

// What a run reads: the window's texts, ticks and rows, or, for a run over
// the files of a preview, the preview's texts and ticks with its files as
// the rows, so that the run visits them in the preview's order.
class RunSource : public EditInputs, public FileRows
{
public:
    RunSource(EditInputs &inputs, FileRows &rows) : m_inputs(inputs), m_rows(rows) {}

    // From now on, the files of `run` (null: the window's again).
    void setPreviewed(const PreviewedRun *run);
    // Whether the file the run opened as `path`, with `status`, may be
    // edited: in a run over a preview's files, only while it is just as the
    // preview read it.
    bool isAsPreviewed(const QByteArray &path, const struct stat &status) const;

    QString findText() const override { return inputs().findText(); }
    QString withText() const override { return inputs().withText(); }
    bool isOptionTicked(int index) const override { return inputs().isOptionTicked(index); }
    int modeCount() const override { return inputs().modeCount(); }
    QString modeText(int index) const override { return inputs().modeText(index); }
    bool isModeTicked(int index) const override { return inputs().isModeTicked(index); }
    // A preview's files are files: its folders were walked when it was made.
    bool editsInsideFolders() const override { return !m_previewed && m_inputs.editsInsideFolders(); }

    qint64 rowCount() const override;
    QByteArray rowTag(qint64 position) const override;
    // Empties the window's list; a run over a preview's files ends with it.
    void removeAllRows() override;

private:
    const EditInputs &inputs() const;

    EditInputs &m_inputs;
    FileRows &m_rows;
    const PreviewedRun *m_previewed = nullptr;
    qsizetype m_previewedRows = 0;
    QHash<QByteArray, struct stat> m_versions;   // by path, of the preview's files
};
