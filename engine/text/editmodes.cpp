#include "editmodes.h"

#include "replacestream.h"

const QStringList &editModeNames()
{
    static const QStringList names{QStringLiteral("Append"), QStringLiteral("Prepend"), QStringLiteral("Remove"),
                                   QStringLiteral("Reverse"), QStringLiteral("Replace")};
    return names;
}

namespace {

const QString LineBreak = QStringLiteral("\r\n");

}   // namespace

EditTexts makeEditTexts(const QString &sFind, const QString &sWith, QByteArrayView lineEnd)
{
    const QString fileLineEnd = QString::fromLatin1(lineEnd);
    const QString find = QString(sFind).replace(LineBreak, fileLineEnd);
    const QByteArray findBytes = find.toLocal8Bit();
    return {findBytes, QString(sWith).replace(LineBreak, fileLineEnd).toLocal8Bit(),
            prcReverseString(find).toLocal8Bit(), PreparedFind(findBytes)};
}

RunTexts::RunTexts(const QString &sFind, const QString &sWith)
    : m_find(sFind)
    , m_with(sWith)
    , m_hasLineBreak(sFind.contains(LineBreak) || sWith.contains(LineBreak))
{}

EditTexts &RunTexts::forLineEnd(const QByteArray &lineEnd)
{
    const QByteArray key = m_hasLineBreak ? lineEnd : QByteArray();
    auto made = m_made.find(key);
    if (made == m_made.end())
        made = m_made.emplace(key, makeEditTexts(m_find, m_with, lineEnd)).first;
    return made->second;
}

QString prcReverseString(const QString &thisString)
{
    QString result;
    result.reserve(thisString.size());
    qsizetype k = thisString.size();
    while (k > 0) {
        // Reversing the two halves of a surrogate pair would leave two lone
        // surrogates, which are written as '?': keep the pair in its order.
        const bool pair = k > 1 && thisString.at(k - 1).isLowSurrogate() && thisString.at(k - 2).isHighSurrogate();
        const qsizetype width = pair ? 2 : 1;
        k -= width;
        result.append(QStringView(thisString).sliced(k, width));
    }
    return result;
}

QByteArray replacementFor(EditMode mode, const EditTexts &texts)
{
    switch (mode) {
    case EditMode::Append:
        return texts.find + texts.with;
    case EditMode::Prepend:
        return texts.with + texts.find;
    case EditMode::Remove:
        return {};
    case EditMode::Reverse:
        return texts.reversedFind;
    case EditMode::Replace:
        return texts.with;
    case EditMode::Count:
        break;
    }
    Q_UNREACHABLE();
    return {};
}

ModeStream::ModeStream(const QList<EditMode> &modes, const EditTexts &texts, const Finder *finder, ByteSink &out,
                       qsizetype bufferSize)
    : m_out(out)
    , m_stages(size_t(modes.size()))
{
    for (qsizetype i = modes.size() - 1; i >= 0; --i) {
        ByteSink &next = i + 1 < modes.size() ? *m_stages[size_t(i + 1)] : out;
        m_stages[size_t(i)] =
            std::make_unique<ReplaceStream>(finder, replacementFor(modes.at(i), texts), next, bufferSize);
    }
}

ModeStream::~ModeStream() = default;

void ModeStream::append(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return;
    if (m_stages.empty())
        m_out.append(bytes);
    else
        m_stages.front()->append(bytes);
}

void ModeStream::finish()
{
    for (const auto &stage : m_stages)
        stage->finish();
}

qint64 ModeStream::findOccurrences() const
{
    return m_stages.empty() ? 0 : m_stages.front()->occurrences();
}

void applyModes(QByteArrayView content, const QList<EditMode> &modes, const EditTexts &texts, CompareMode compare,
                ByteSink &out)
{
    PreparedFind prepared(texts.find);
    ModeStream stream(modes, texts, prepared.finder(compare), out);
    stream.append(content);
    stream.finish();
}
