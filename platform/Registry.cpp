#include "Registry.h"

#include "Autostart.h"
#include "Log.h"
#include "PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QMutex>
#include <QMutexLocker>
#include <QSet>
#include <QSaveFile>
#include <QStringDecoder>

namespace sonvelle {

namespace {

// A key file larger than this is not a key we wrote: it reads as no values.
constexpr qint64 kMaxKeyFileBytes = 256 * 1024;

const QString kFileHeader = QStringLiteral("# Sonvelle settings key: name TAB value; escapes \\\\ \\t \\n \\r");

// The Run key has no file of its own: its values are autostart entries.
bool IsRunKey(Hive hive, const QString& path)
{
    QString p = path;
    p.replace('/', '\\');
    return hive == Hive::CurrentUser &&
           p.compare(QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Run"), Qt::CaseInsensitive) == 0;
}

QString HiveFolder(Hive hive)
{
    if (hive == Hive::CurrentUser) {
        const QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
        if (!home.isEmpty() && QDir::isAbsolutePath(home))
            return home;
        return QDir::homePath() + "/.config";
    }
    for (const QString& dir : qEnvironmentVariable("XDG_CONFIG_DIRS").split(':', Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(dir))
            return dir;
    return QStringLiteral("/etc/xdg");
}

// Key paths name folders below the hive; nothing may climb out of it.
bool IsSafeKeyPath(const QString& path)
{
    QString p = path;
    p.replace('\\', '/');
    const QStringList parts = p.split('/');
    for (const QString& part : parts)
        if (part.isEmpty() || part == "." || part == "..")
            return false;
    return true;
}

QString Escape(const QString& s)
{
    QString out;
    out.reserve(s.size());
    for (QChar c : s) {
        switch (c.unicode()) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
    return out;
}

std::optional<QString> Unescape(QStringView s)
{
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] != '\\') {
            out += s[i];
            continue;
        }
        if (++i == s.size())
            return std::nullopt;
        switch (s[i].unicode()) {
        case '\\': out += '\\'; break;
        case 't': out += '\t'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        default: return std::nullopt;
        }
    }
    return out;
}

enum class LoadState { Ok, Missing, Unreadable, Corrupt };

struct Loaded {
    LoadState state = LoadState::Missing;
    QMap<QString, QString> values;
};

Loaded LoadKeyFile(const QString& path)
{
    Loaded result;
    QFileInfo info(path);
    if (!info.exists())
        return result;
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        result.state = LoadState::Unreadable;
        return result;
    }
    const QByteArray bytes = file.read(kMaxKeyFileBytes + 1);
    if (bytes.size() > kMaxKeyFileBytes || bytes.contains('\0')) {
        result.state = LoadState::Corrupt;
        return result;
    }
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(bytes);
    if (decoder.hasError()) {
        result.state = LoadState::Corrupt;
        return result;
    }
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const qsizetype tab = line.indexOf(u'\t');
        const auto name = tab > 0 ? Unescape(line.left(tab)) : std::nullopt;
        const auto value = tab > 0 ? Unescape(line.mid(tab + 1)) : std::nullopt;
        if (!name || !value || name->isEmpty()) {
            result.state = LoadState::Corrupt;
            result.values.clear();
            return result;
        }
        result.values.insert(*name, *value);
    }
    result.state = LoadState::Ok;
    return result;
}

bool SaveKeyFile(const QString& path, const QMap<QString, QString>& values)
{
    if (!MakePrivatePath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    if (!OpenPrivate(file, QIODevice::WriteOnly))
        return false;
    QString text = kFileHeader + '\n';
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        text += Escape(it.key()) + '\t' + Escape(it.value()) + '\n';
    const QByteArray bytes = text.toUtf8();
    if (bytes.size() > kMaxKeyFileBytes)
        return false;  // it would read back as corrupt
    file.write(bytes);
    return file.commit();
}

}  // namespace

struct CRegKey::Impl {
    Hive hive = Hive::CurrentUser;
    QString path;  // the key file
    bool runKey = false;
    bool writable = false;

    Loaded Load() const
    {
        Loaded loaded = LoadKeyFile(path);
        const bool bad = loaded.state == LoadState::Unreadable || loaded.state == LoadState::Corrupt;
        // One log line per spoilt file, not one per read.
        static QMutex mutex;
        static QSet<QString> reported;
        QMutexLocker lock(&mutex);
        if (!bad) {
            reported.remove(path);
        } else if (!reported.contains(path)) {
            reported.insert(path);
            WriteLog((loaded.state == LoadState::Corrupt ? QStringLiteral("Chiave di registro non valida: ")
                                                         : QStringLiteral("Chiave di registro illeggibile: ")) +
                     path);
        }
        return loaded;
    }
};

CRegKey::~CRegKey()
{
    Close();
}

QString CRegKey::KeyFilePath(Hive hive, const QString& path)
{
    if (IsRunKey(hive, path))
        return QFileInfo(AutostartFilePath(QString())).absolutePath();
    if (!IsSafeKeyPath(path))
        return {};
    QString p = path;
    p.replace('\\', '/');
    return HiveFolder(hive) + '/' + p + ".conf";
}

bool CRegKey::Open(Hive hive, const QString& path, bool writable)
{
    Close();
    auto impl = new Impl;
    impl->hive = hive;
    impl->writable = writable;
    impl->runKey = IsRunKey(hive, path);
    impl->path = KeyFilePath(hive, path);
    if (!impl->runKey && (impl->path.isEmpty() || !QFileInfo::exists(impl->path))) {
        delete impl;
        return false;
    }
    m_impl = impl;
    if (!impl->runKey)
        impl->Load();  // an unusable file is reported once, at open
    return true;
}

bool CRegKey::Create(Hive hive, const QString& path)
{
    if (Open(hive, path, true))
        return true;
    const QString file = KeyFilePath(hive, path);
    if (file.isEmpty() || QFileInfo::exists(file) || !SaveKeyFile(file, {}))
        return false;
    return Open(hive, path, true);
}

void CRegKey::Close()
{
    delete m_impl;
    m_impl = nullptr;
}

bool CRegKey::IsOpen() const
{
    return m_impl != nullptr;
}

std::optional<QString> CRegKey::ReadText(const QString& name, int bufferBytes) const
{
    if (!m_impl || bufferBytes <= 0)
        return std::nullopt;
    std::optional<QString> value;
    if (m_impl->runKey) {
        value = ReadAutostartEntry(name);
    } else {
        const Loaded loaded = m_impl->Load();
        const auto it = loaded.values.constFind(name);
        if (it != loaded.values.cend())
            value = *it;
    }
    // The terminating NUL needs room too.
    if (value && value->toUtf8().size() + 1 > bufferBytes)
        return std::nullopt;
    return value;
}

bool CRegKey::WriteText(const QString& name, const QString& text)
{
    if (!m_impl || !m_impl->writable || name.isEmpty())
        return false;
    if (m_impl->runKey)
        return WriteAutostartEntry(name, text);
    Loaded loaded = m_impl->Load();
    // Writing over a file we could not read would throw away its other values.
    if (loaded.state == LoadState::Unreadable)
        return false;
    if (loaded.state == LoadState::Corrupt) {
        const QString aside = m_impl->path + ".corrupt";
        QFile::remove(aside);
        QFile::copy(m_impl->path, aside);
    }
    loaded.values.insert(name, text);
    return SaveKeyFile(m_impl->path, loaded.values);
}

bool CRegKey::DeleteValue(const QString& name)
{
    if (!m_impl || !m_impl->writable)
        return false;
    if (m_impl->runKey)
        return ReadAutostartEntry(name).has_value() && DeleteAutostartEntry(name);
    Loaded loaded = m_impl->Load();
    if (loaded.state != LoadState::Ok || !loaded.values.remove(name))
        return false;
    return SaveKeyFile(m_impl->path, loaded.values);
}

}  // namespace sonvelle
