#include "editmodes.h"

#include "edithost.h"
#include "replaceall.h"

EditTexts makeEditTexts(const QString &sFind, const QString &sWith)
{
    return {sFind.toLocal8Bit(), sWith.toLocal8Bit(), prcReverseString(sFind).toLocal8Bit()};
}

QString prcReverseString(const QString &thisString)
{
    QString result;
    result.reserve(thisString.size());
    qsizetype k = thisString.size();
    while (k > 0) {
        // Reversing the two halves of a surrogate pair would leave two lone
        // surrogates, which are written as '?': keep the pair in its order.
        const bool pair = k > 1 && thisString.at(k - 1).isLowSurrogate()
                && thisString.at(k - 2).isHighSurrogate();
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

QList<EditMode> modePass(EditHost &host)
{
    QList<EditMode> ticked;
    const int count = host.modeCount();
    for (int j = 0; j < count; ++j) {
        host.setModeCaption(QStringLiteral("Performing: ") + host.modeText(j));
        if (j < int(EditMode::Count) && host.isModeTicked(j))
            ticked.append(EditMode(j));
    }
    host.setModeCaption(QStringLiteral("..."));
    return ticked;
}

void applyModes(QByteArrayView content, const QList<EditMode> &modes, const EditTexts &texts,
                CompareMode compare, ByteSink &out)
{
    if (modes.isEmpty()) {
        if (!content.isEmpty())
            out.append(content);
        return;
    }
    // Every mode but the last works on a copy; the last streams into `out`,
    // so the usual single mode never copies the whole content.
    QByteArray intermediate;
    for (qsizetype i = 0; i + 1 < modes.size(); ++i) {
        intermediate = replaceAll(i == 0 ? content : QByteArrayView(intermediate), texts.find,
                                  replacementFor(modes.at(i), texts), compare);
    }
    const QByteArrayView last = modes.size() == 1 ? content : QByteArrayView(intermediate);
    replaceAll(last, texts.find, replacementFor(modes.last(), texts), compare, out);
}
