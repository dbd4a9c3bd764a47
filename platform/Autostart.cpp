#include "Autostart.h"

#include "PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace sonvelle {

namespace {

constexpr qint64 kMaxEntryBytes = 64 * 1024;

QString ConfigHome()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + "/.config";
    return base;
}

bool IsPlainEntryName(const QString& name)
{
    return !name.isEmpty() && !name.contains('/') && !name.contains('\\') && name != "." && name != "..";
}

// Escapes of the desktop file's string type: a backslash must be doubled once more.
QString EscapeDesktopString(const QString& s)
{
    QString out;
    for (QChar c : s) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else
            out += c;
    }
    return out;
}

QString UnescapeDesktopString(const QString& s)
{
    QString out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        const QChar n = s[++i];
        if (n == 's')
            out += ' ';
        else if (n == 'n')
            out += '\n';
        else if (n == 't')
            out += '\t';
        else if (n == 'r')
            out += '\r';
        else if (n == '\\')
            out += '\\';
        else {
            out += '\\';
            out += n;
        }
    }
    return out;
}

}  // namespace

QString AutostartFilePath(const QString& entryName)
{
    return ConfigHome() + "/autostart/" + entryName + ".desktop";
}

QString QuoteExecArgument(const QString& path)
{
    // Always quoted: blanks and reserved characters then need no case of their own.
    QString out = "\"";
    for (QChar c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            out += '\\';
        if (c == '%')
            out += '%';  // field codes start with %
        out += c;
    }
    out += '"';
    return out;
}

std::optional<QString> UnquoteExecArgument(const QString& exec)
{
    const QString s = exec.trimmed();
    if (s.size() >= 2 && s.startsWith('"') && s.endsWith('"')) {
        QString out;
        for (qsizetype i = 1; i + 1 < s.size(); ++i) {
            QChar c = s[i];
            if (c == '\\') {
                if (i + 2 >= s.size())
                    return std::nullopt;
                c = s[++i];
            } else if (c == '%') {
                if (i + 2 >= s.size() || s[i + 1] != '%')
                    return std::nullopt;
                ++i;
            } else if (c == '"') {
                return std::nullopt;
            }
            out += c;
        }
        return out;
    }
    if (s.isEmpty() || s.contains(' ') || s.contains('"'))
        return std::nullopt;
    return QString(s).replace("%%", "%");
}

std::optional<QString> ReadAutostartEntry(const QString& entryName)
{
    if (!IsPlainEntryName(entryName))
        return std::nullopt;
    QFile file(AutostartFilePath(entryName));
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxEntryBytes)
        return std::nullopt;
    const QString text = QString::fromUtf8(file.read(kMaxEntryBytes));
    bool inEntry = false;
    for (const QString& raw : text.split('\n')) {
        const QString line = raw.trimmed();
        if (line.startsWith('['))
            inEntry = line == "[Desktop Entry]";
        else if (inEntry && line.startsWith("Exec="))
            return UnquoteExecArgument(UnescapeDesktopString(line.mid(5)));
    }
    return std::nullopt;
}

bool WriteAutostartEntry(const QString& entryName, const QString& programPath)
{
    if (!IsPlainEntryName(entryName) || programPath.isEmpty())
        return false;
    const QString path = AutostartFilePath(entryName);
    if (!MakePrivatePath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    if (!OpenPrivate(file, QIODevice::WriteOnly))
        return false;
    const QString text = QStringLiteral("[Desktop Entry]\nType=Application\nName=Sonvelle\nExec=") +
                         EscapeDesktopString(QuoteExecArgument(programPath)) +
                         QStringLiteral("\nTerminal=false\nX-GNOME-Autostart-enabled=true\n");
    file.write(text.toUtf8());
    return file.commit();
}

bool DeleteAutostartEntry(const QString& entryName)
{
    if (!IsPlainEntryName(entryName))
        return false;
    const QString path = AutostartFilePath(entryName);
    return !QFileInfo::exists(path) || QFile::remove(path);
}

}  // namespace sonvelle
