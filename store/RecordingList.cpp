#include "store/RecordingList.h"

#include "platform/FileOps.h"
#include "platform/LeadingInt.h"
#include "platform/Log.h"
#include "platform/ProgramFolder.h"
#include "platform/Registry.h"
#include "resources/StringTable.h"
#include "store/DurationMeter.h"
#include "store/FolderListing.h"
#include "store/Id3Tag.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <limits>

namespace sonvelle {

namespace {

int g_nameCounter = 1;

std::uint32_t FileSize32(qint64 size)
{
    return static_cast<std::uint32_t>(std::clamp<qint64>(size, 0, std::numeric_limits<std::uint32_t>::max()));
}

std::uint32_t DirectorySize(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() ? FileSize32(info.size()) : 0;
}

QString FileNameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString WithoutExtension(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? fileName : fileName.left(dot);
}

QString WithoutTrailingSpace(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    return text.left(end);
}

// Names match ignoring case and the trailing blanks the index cannot keep.
QString NameKey(const QString& name)
{
    return WithoutTrailingSpace(name).toCaseFolded();
}

// A recording's file is always folder + name + ".mp3": one with the
// extension in another case is renamed so. Empty when that cannot be done.
QString WithLowerCaseExtension(const QString& folder, const QString& fileName)
{
    const QString extension = LoadText(IDS_EXT_MP3);
    if (fileName.endsWith(extension))
        return fileName;
    const QString lower = fileName.left(fileName.size() - extension.size()) + extension;
    const FileError error = MoveFileNoReplace(folder + fileName, folder + lower);
    if (error != FileError::None) {
        WriteLog(QStringLiteral("File ignorato, impossibile rinominarlo in %1").arg(folder + lower));
        return {};
    }
    WriteLog(QStringLiteral("File %1 rinominato in %2").arg(folder + fileName, folder + lower));
    return lower;
}

// A total order even for a damaged value read from the index.
double SortableDays(const COleDateTime& d)
{
    return std::isnan(d.Value()) ? -HUGE_VAL : d.Value();
}

// Stable order of the entries by one key; ties keep their order.
template <typename Key, typename KeyOf>
std::vector<std::size_t> StableOrder(const CRecordingList::EntryList& entries, KeyOf keyOf, bool ascending)
{
    std::vector<Key> keys;
    keys.reserve(entries.size());
    for (const auto& entry : entries)
        keys.push_back(keyOf(*entry));
    std::vector<std::size_t> order(entries.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    if (ascending)
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    else
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return keys[b] < keys[a]; });
    return order;
}

}  // namespace

CRecordingList::CRecordingList() = default;

CRecordingList::~CRecordingList()
{
    Clear();
}

int CRecordingList::NameCounter()
{
    return g_nameCounter;
}

void CRecordingList::ResetNameCounterForTesting()
{
    g_nameCounter = 1;
}

void CRecordingList::SetDurationMeter(IDurationMeter* meter)
{
    m_meter = meter;
}

double CRecordingList::MeasureDays(const QString& path)
{
    IDurationMeter& meter = m_meter ? *m_meter : DefaultDurationMeter();
    const double seconds = meter.MeasureSeconds(path, m_bMeasuringFlag);
    // An unreadable file counts as empty rather than as "to be measured", which would be retried forever.
    return COleDateTime::FromSeconds(seconds < 0 ? 0.0 : seconds).Value();
}

void CRecordingList::CompleteCutTexts(CRecordingEntry& entry)
{
    if (!CIndexFile::MayBeCut(entry.m_strNotes) && !CIndexFile::MayBeCut(entry.m_strOperator))
        return;
    CId3Tag tag;
    if (!tag.Open(entry.FilePath()) || tag.Read() != 1)
        return;
    CId3Frame frame;
    if (tag.GetFrame("COMM", frame))
        entry.m_strNotes = frame.GetText();
    if (tag.GetFrame("TALB", frame))
        entry.m_strOperator = frame.GetText();
}

bool CRecordingList::IndexDisabled() const
{
    CRegKey key;
    if (!key.Open(Hive::CurrentUser, LoadText(IDS_SETTINGS_KEY), false))
        return false;
    const auto value = key.ReadText(LoadText(IDS_KEY_DISABLE_INDEX));
    return value && value->startsWith(QLatin1Char('1'));
}

bool CRecordingList::Load(const QString& folder)
{
    const QString target = WithTrailingSlash(folder.isEmpty() ? m_folder : folder);
    const QFileInfo info(target);
    if (target.isEmpty() || !info.isDir() || !info.isExecutable() || !info.isReadable())
        return false;
    m_folder = target;

    QElapsedTimer timer;
    timer.start();
    const std::size_t before = m_entries.size();
    if (!LoadFromIndex(target) || !m_index.IsOpen()) {
        WriteLog(QStringLiteral("Impossibile aprire/creare il file di indice..."));
        // What the index gave before it was lost is listed again from the folder: once.
        m_entries.erase(m_entries.begin() + std::ptrdiff_t(std::min(before, m_entries.size())), m_entries.end());
        InvalidateNames();
        for (const ListedFile& file : ListRecordingFiles(target)) {
            const QString fileName = WithLowerCaseExtension(target, file.fileName);
            if (!fileName.isEmpty())
                AddFileEntry(target + fileName, target);
        }
    }
    WriteLog(QStringLiteral("Tempo Carica Lista = %1").arg(timer.elapsed()));
    return true;
}

bool CRecordingList::LoadFromIndex(const QString& folder)
{
    m_index.Close();
    if (IndexDisabled())
        return false;
    if (!m_index.Open(folder + LoadText(IDS_INDEX_FILE)))
        return false;
    m_folder = folder;

    int deleted = 0;
    std::size_t fromIndex = 0;
    for (;;) {
        auto entry = std::make_unique<CRecordingEntry>();
        if (!m_index.ReadRecord(*entry))
            break;
        if (entry->m_nIndexState == kIndexDeleted) {
            ++deleted;
            continue;
        }
        entry->m_strFolder = folder;
        m_entries.push_back(std::move(entry));
        ++fromIndex;
    }
    InvalidateNames();

    std::size_t matched = 0;
    for (const ListedFile& file : ListRecordingFiles(folder)) {
        const QString fileName = WithLowerCaseExtension(folder, file.fileName);
        if (fileName.isEmpty())
            continue;
        const QString path = folder + fileName;
        const QString name = WithoutExtension(fileName);
        if (MarkFound(name, true, FileSize32(file.size))) {
            ++matched;
            const auto& sameFolded = m_names[NameKey(name)];
            if (sameFolded.size() == 1 && sameFolded.front()->m_strName == name)
                continue;
            // The file's own spelling wins over a record that differs in case only,
            // or the entry would name a file that does not exist here.
            CRecordingEntry* entry = nullptr;
            for (CRecordingEntry* candidate : sameFolded) {
                if (candidate->m_strName == name) {
                    entry = nullptr;
                    break;
                }
                if (!entry && candidate->m_bFound)
                    entry = candidate;
            }
            if (entry && FindByName(name) == nullptr) {
                // Trailing blanks are lost in the index's padding: the record is right as it stands.
                const bool onlyBlanks = entry->m_strName == WithoutTrailingSpace(name);
                entry->m_strName = name;
                if (!onlyBlanks) {
                    entry->SetState(kStateTagPending);
                    m_index.RewriteRecord(*entry);
                }
                InvalidateNames();
            }
            continue;
        }
        if (CRecordingEntry* entry = AddFileEntry(path, folder)) {
            m_index.SeekEnd();
            m_index.WriteRecord(*entry);
        }
    }

    if (matched < fromIndex) {
        for (auto it = m_entries.begin(); it != m_entries.end();) {
            if (!(*it)->m_bFound) {
                m_index.MarkDeleted(**it);
                it = m_entries.erase(it);
                ++deleted;
            } else {
                ++it;
            }
        }
        InvalidateNames();
    }

    for (const auto& entry : m_entries) {
        if (entry->m_bFound && entry->m_nIndexState != kIndexAddedByScan)
            CompleteCutTexts(*entry);
    }

    if (deleted > 10) {
        std::vector<CRecordingEntry*> all;
        all.reserve(m_entries.size());
        for (const auto& entry : m_entries)
            all.push_back(entry.get());
        if (!m_index.Compact(all))
            WriteLog(QStringLiteral("Impossibile aprire/creare il file di indice..."));
    }
    return m_index.IsOpen();
}

CRecordingEntry* CRecordingList::AddFileEntry(const QString& path, const QString& folder)
{
    if (path == folder + LoadText(IDS_TEMP_RECORDING_FILE) || path == folder + LoadText(IDS_JOIN_TEMP_FILE) || path == folder + LoadText(IDS_TAG_TEMP_FILE))
        return nullptr;
    auto entry = std::make_unique<CRecordingEntry>();
    ReadEntryTags(path, *entry, folder, false);
    entry->m_nIndexState = kIndexAddedByScan;
    entry->m_bFound = true;
    CRecordingEntry* raw = entry.get();
    m_entries.push_back(std::move(entry));
    if (m_namesValid)
        m_names[NameKey(raw->m_strName)].push_back(raw);
    return raw;
}

void CRecordingList::RebuildNames()
{
    m_names.clear();
    m_names.reserve(static_cast<qsizetype>(m_entries.size()));
    for (const auto& entry : m_entries)
        m_names[NameKey(entry->m_strName)].push_back(entry.get());
    m_namesValid = true;
}

bool CRecordingList::MarkFound(const QString& name, bool mark, std::uint32_t size)
{
    if (!m_namesValid)
        RebuildNames();
    const auto it = m_names.constFind(NameKey(name));
    if (it == m_names.cend())
        return false;
    CRecordingEntry* found = nullptr;
    for (CRecordingEntry* candidate : *it) {
        if (candidate->m_strName == name) {
            found = candidate;
            break;
        }
    }
    // Two files that differ only in case are two recordings here: one record each.
    if (!found) {
        for (CRecordingEntry* candidate : *it) {
            if (!mark || !candidate->m_bFound) {
                found = candidate;
                break;
            }
        }
    }
    if (!found)
        return false;
    if (mark)
        found->m_bFound = true;
    if (size != 0)
        found->m_dwSize = size;
    return true;
}

CRecordingEntry* CRecordingList::FindByName(const QString& name) const
{
    for (const auto& entry : m_entries) {
        if (entry->m_strName == name)
            return entry.get();
    }
    return nullptr;
}

int CRecordingList::IndexOf(const CRecordingEntry* entry) const
{
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].get() == entry)
            return static_cast<int>(i);
    }
    return -1;
}

CRecordingEntry* CRecordingList::AddEntry(std::unique_ptr<CRecordingEntry> entry)
{
    CRecordingEntry* raw = entry.get();
    m_entries.push_back(std::move(entry));
    InvalidateNames();
    if (m_index.IsOpen()) {
        m_index.SeekEnd();
        m_index.WriteRecord(*raw);
    }
    return raw;
}

CRecordingEntry* CRecordingList::CreateEntry(const QString& baseName, const QString& prefix)
{
    auto defaultName = [&](int counter) {
        QString text = LoadText(IDS_DEFAULT_NAME);
        text.replace(QStringLiteral("%d"), QString::number(counter));
        return prefix.isEmpty() ? text : prefix + QStringLiteral(" - ") + text;
    };
    const QString extension = LoadText(IDS_EXT_MP3);
    QString name = baseName.isEmpty() ? defaultName(g_nameCounter) : baseName;
    while (QFileInfo::exists(m_folder + name + extension)) {
        ++g_nameCounter;
        name = baseName.isEmpty() ? defaultName(g_nameCounter) : baseName + QString::number(g_nameCounter);
    }
    ++g_nameCounter;

    auto entry = std::make_unique<CRecordingEntry>();
    entry->m_strName = name;
    entry->m_dtDate = COleDateTime::GetCurrentTime();
    entry->m_dtDuration = COleDateTime(0.0);
    entry->m_strFolder = m_folder;
    entry->SetState(kStateRecording);
    return AddEntry(std::move(entry));
}

void CRecordingList::RemoveEntry(CRecordingEntry* entry)
{
    const int position = IndexOf(entry);
    if (position < 0)
        return;
    if (m_index.IsOpen())
        m_index.MarkDeleted(*entry);
    m_entries.erase(m_entries.begin() + position);
    InvalidateNames();
}

bool CRecordingList::Sort(int column, bool ascending)
{
    if (m_entries.size() < 2)
        return true;
    QElapsedTimer timer;
    timer.start();
    std::vector<std::size_t> order;
    switch (column) {
    case kColumnDate:
    case kColumnTime:
        order = StableOrder<double>(m_entries, [](const CRecordingEntry& e) { return SortableDays(e.m_dtDate); }, ascending);
        break;
    case kColumnNotes:
        order = StableOrder<QByteArray>(m_entries, [](const CRecordingEntry& e) { return e.m_strNotes.toUtf8(); },
                                        ascending);
        break;
    case kColumnDuration:
        order = StableOrder<double>(m_entries, [](const CRecordingEntry& e) { return SortableDays(e.m_dtDuration); },
                                    ascending);
        break;
    case kColumnSize:
        order = StableOrder<std::uint32_t>(m_entries, [](const CRecordingEntry& e) { return e.m_dwSize; }, ascending);
        break;
    case kColumnProtected:
        order = StableOrder<bool>(m_entries, [](const CRecordingEntry& e) { return e.m_bProtected; }, ascending);
        break;
    default:
        order = StableOrder<QByteArray>(
            m_entries, [](const CRecordingEntry& e) { return e.m_strName.toUpper().toUtf8(); }, ascending);
        break;
    }
    EntryList sorted;
    sorted.reserve(m_entries.size());
    for (std::size_t i : order)
        sorted.push_back(std::move(m_entries[i]));
    m_entries = std::move(sorted);
    InvalidateNames();
    WriteLog(QStringLiteral("Tempo Ordinamento = %1").arg(timer.elapsed()));
    return true;
}

bool CRecordingList::UpdateIndexRecord(CRecordingEntry& entry)
{
    return m_index.IsOpen() && m_index.RewriteRecord(entry);
}

bool CRecordingList::SavePending(ISaveProgress* progress)
{
    const auto pending = std::count_if(m_entries.begin(), m_entries.end(),
                                       [](const auto& e) { return e->GetState() == kStateTagPending; });
    const bool showProgress = progress && pending > 2;
    if (showProgress)
        progress->Begin(GetCount());
    bool allWritten = true;
    for (const auto& entry : m_entries) {
        if (entry->GetState() != kStateTagPending)
            continue;
        // A tag that could not be written leaves the record as it was, matching the file.
        const bool written = WriteEntryTags(*entry);
        allWritten = allWritten && written;
        if (showProgress)
            progress->Step();
        if (written && m_index.IsOpen())
            m_index.RewriteRecord(*entry);
    }
    if (showProgress)
        progress->End();
    return allWritten;
}

void CRecordingList::RefreshEntry(CRecordingEntry& entry)
{
    if (!m_index.IsOpen())
        return;
    ReadEntryTags(m_folder + entry.m_strName + LoadText(IDS_EXT_MP3), entry, m_folder, true);
    InvalidateNames();
    m_index.RewriteRecord(entry);
}

void CRecordingList::RecreateIndex()
{
    if (!m_index.IsOpen())
        return;
    const QString path = m_index.Path();
    const QString folder = m_folder;
    Clear();
    QFile::remove(path);
    Load(folder);
}

void CRecordingList::Clear()
{
    m_entries.clear();
    m_names.clear();
    m_namesValid = false;
    m_index.Close();
}

bool CRecordingList::WriteEntryTags(CRecordingEntry& entry)
{
    return WriteEntryTagsTo(entry, entry.FilePath());
}

bool CRecordingList::WriteEntryTagsTo(CRecordingEntry& entry, const QString& path)
{
    CId3Tag tag;
    if (!tag.Open(path))
        return false;
    tag.SetTextFrame("TDAT", entry.m_dtDate.Format(QStringLiteral("%d%m")));
    tag.SetNumberFrame("TYER", entry.m_dtDate.GetYear());
    tag.SetTextFrame("TIME", entry.m_dtDate.Format(QStringLiteral("%H:%M:%S")));
    tag.SetTextFrame("TLEN", entry.m_dtDuration.Format(QStringLiteral("%H:%M:%S")));
    tag.SetTextFrame("TIT2", entry.m_strName);
    tag.SetTextFrame("COMM", entry.m_strNotes);
    tag.SetNumberFrame("TRCK", 0);
    tag.SetTextFrame("TALB", entry.m_strOperator);
    tag.SetTextFrame("TCON", entry.m_strGenre);
    tag.SetTextFrame("TPE1", entry.m_strArtist);
    tag.SetFlagFrame("TXXX", entry.m_bProtected);
    // A tag that did not reach the file stays due, so that it is tried again.
    if (!tag.Write())
        return false;
    entry.SetTagSize(tag.TagSize());
    entry.SetState(kStateSaved);
    return true;
}

bool CRecordingList::ReadEntryTags(const QString& path, CRecordingEntry& entry, const QString& folder, bool recompute)
{
    CId3Tag tag;
    if (!tag.Open(path) || tag.Read() != 1) {
        tag.Close();
        entry.m_strName = FileNameOf(path);
        entry.m_strName.chop(4);
        entry.m_dtDuration = COleDateTime(MeasureDays(path));
        entry.m_strNotes.clear();
        entry.m_bProtected = false;
        entry.m_dtDate = COleDateTime::GetCurrentTime();
        entry.m_strFolder = folder;
        entry.m_strArtist = kDefaultArtist;
        entry.m_strGenre = kDefaultGenre;
        entry.m_dwSize = DirectorySize(path);
        entry.SetState(kStateTagPending);
        // The size shown is the file's with its new tag.
        if (WriteEntryTags(entry))
            entry.m_dwSize = DirectorySize(path);
        return false;
    }

    entry.SetState(kStateSaved);
    auto lookup = [&tag](const char* identifier) {
        CId3Frame frame;
        const bool present = tag.GetFrame(identifier, frame);
        return std::make_pair(present, std::move(frame));
    };
    auto fix = [&](const char* identifier, const QString& text) {
        tag.SetTextFrame(identifier, text);
        entry.SetState(kStateTagPending);
    };

    entry.m_strName = WithoutExtension(FileNameOf(path));
    if (lookup("TIT2").second.GetText() != entry.m_strName)
        fix("TIT2", entry.m_strName);

    const int year = lookup("TYER").second.GetNumber();
    const QByteArray dayMonth = lookup("TDAT").second.GetText().toLatin1();
    COleDateTime date;
    if (!date.SetDate(year, LeadingInt(dayMonth.right(2)), LeadingInt(dayMonth.left(2)))) {
        // Today at midnight: the tag's time of day is added below, as for a valid date.
        const COleDateTime now = COleDateTime::GetCurrentTime();
        date = now.DatePart();
        fix("TYER", QString::number(now.GetYear()));
        fix("TDAT", now.Format(QStringLiteral("%d%m")));
    }
    COleDateTime time = lookup("TIME").second.GetTime();
    if (!time.IsValid()) {
        const COleDateTime now = COleDateTime::GetCurrentTime();
        fix("TIME", now.Format(QStringLiteral("%H:%M:%S")));
        time = now.TimePart();
    }
    entry.m_dtDate = COleDateTime(date.Value() + time.Value());

    const COleDateTime duration = lookup("TLEN").second.GetTime();
    entry.m_dtDuration = duration.IsValid() ? duration : COleDateTime(-1.0);

    entry.m_dwSize = DirectorySize(path);

    const auto [hasNotes, notes] = lookup("COMM");
    entry.m_strNotes = notes.GetText();
    if (!hasNotes)
        entry.SetState(kStateTagPending);

    const auto [hasFlag, flag] = lookup("TXXX");
    entry.m_bProtected = flag.IsProtected();
    if (!hasFlag)
        entry.SetState(kStateTagPending);

    entry.m_strArtist = lookup("TPE1").second.GetText();
    if (entry.m_strArtist.isEmpty()) {
        entry.m_strArtist = kDefaultArtist;
        fix("TPE1", entry.m_strArtist);
    }
    entry.m_strGenre = lookup("TCON").second.GetText();
    if (entry.m_strGenre.isEmpty()) {
        entry.m_strGenre = kDefaultGenre;
        fix("TCON", entry.m_strGenre);
    }

    entry.m_strFolder = folder;
    entry.m_strOperator = lookup("TALB").second.GetText();
    entry.SetTagSize(tag.TagSize());
    tag.Close();

    if (recompute || entry.IsDurationUnknown())
        entry.m_dtDuration = COleDateTime(MeasureDays(path));
    return true;
}

}  // namespace sonvelle
