#include "StringTable.h"

#include <QHash>

#include <cstddef>

// Generated from strings.txt at build time.
extern const unsigned char kSonvelleStringsData[];
extern const std::size_t kSonvelleStringsSize;

namespace sonvelle {

namespace {

// One line per text: the number, a tab, the name, a tab, the text. "\n", "\r",
// "\t" and "\\" are escapes; lines starting with '#' and blank lines are comments.
QString Unescape(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != '\\' || i + 1 == text.size()) {
            out += c;
            continue;
        }
        const QChar next = text[++i];
        if (next == 'n')
            out += '\n';
        else if (next == 'r')
            out += '\r';
        else if (next == 't')
            out += '\t';
        else if (next == '\\')
            out += '\\';
        else {
            out += '\\';
            out += next;
        }
    }
    return out;
}

const QHash<int, QString>& Table()
{
    static const QHash<int, QString> table = [] {
        QHash<int, QString> t;
        const QString all = QString::fromUtf8(reinterpret_cast<const char*>(kSonvelleStringsData),
                                              static_cast<qsizetype>(kSonvelleStringsSize));
        for (QStringView line : QStringView(all).split(u'\n')) {
            if (line.endsWith(u'\r'))
                line.chop(1);
            if (line.isEmpty() || line.startsWith(u'#'))
                continue;
            const qsizetype tab = line.indexOf(u'\t');
            if (tab <= 0)
                continue;
            bool ok = false;
            const int id = line.left(tab).toInt(&ok);
            if (!ok)
                continue;
            QStringView text = line.mid(tab + 1);
            // The name is for the source code only.
            const qsizetype nameEnd = text.indexOf(u'\t');
            if (text.startsWith(u"IDS_") && nameEnd > 0)
                text = text.mid(nameEnd + 1);
            t.insert(id, Unescape(text));
        }
        return t;
    }();
    return table;
}

}  // namespace

QString LoadText(int id)
{
    return Table().value(id);
}

bool HasText(int id)
{
    return Table().contains(id);
}

QString FillPlaceholders(const QString& text, const QStringList& args)
{
    QString out;
    out.reserve(text.size());
    qsizetype next = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool placeholder =
            text[i] == u'%' && i + 1 < text.size() && (text[i + 1] == u's' || text[i + 1] == u'd');
        if (placeholder && next < args.size()) {
            out += args[next++];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace sonvelle
