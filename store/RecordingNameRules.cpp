#include "store/RecordingNameRules.h"

#include "platform/Prompt.h"
#include "resources/StringTable.h"
#include "store/RecordingList.h"

namespace sonvelle {

bool CRecordingNameRules::HasForbiddenCharacter(const QString& text)
{
    static const QString forbidden = QStringLiteral("<>:/|*?\\\"");
    for (const QChar c : text) {
        if (forbidden.contains(c))
            return true;
    }
    return false;
}

QString CRecordingNameRules::WithoutTypedForbiddenCharacter(const QString& text)
{
    if (!HasForbiddenCharacter(text))
        return text;
    QString out = text;
    // Never leave half of a surrogate pair behind.
    out.chop(out.size() >= 2 && out.at(out.size() - 1).isLowSurrogate() ? 2 : 1);
    return out;
}

bool CRecordingNameRules::IsTooLong(const QString& folder, const QString& name)
{
    return folder.toUtf8().size() + name.toUtf8().size() > kMaxPathBytes;
}

bool CRecordingNameRules::IsReserved(const QString& name)
{
    return name == LoadText(IDS_TEMP_RECORDING_NAME) || name == LoadText(IDS_JOIN_TEMP_NAME) || name == LoadText(IDS_TAG_TEMP_NAME);
}

bool CRecordingNameRules::IsDuplicate(const CRecordingList& list, const QString& name, const CRecordingEntry* except)
{
    for (const auto& entry : list.Entries()) {
        if (entry.get() != except && entry->m_strName.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

CRecordingNameRules::Problem CRecordingNameRules::Check(const CRecordingList& list, const QString& folder,
                                                        const QString& name, const CRecordingEntry* except)
{
    if (name.isEmpty())
        return Problem::Empty;
    if (HasForbiddenCharacter(name))
        return Problem::ForbiddenCharacter;
    if (IsTooLong(folder, name))
        return Problem::TooLong;
    if (IsReserved(name))
        return Problem::Reserved;
    if (IsDuplicate(list, name, except))
        return Problem::Duplicate;
    return Problem::None;
}

int CRecordingNameRules::MessageTextId(Problem problem)
{
    switch (problem) {
    case Problem::None: return 0;
    case Problem::Empty: return IDS_NAME_EMPTY;
    case Problem::TooLong: return IDS_NAME_TOO_LONG;
    case Problem::Reserved: return IDS_NAME_RESERVED;
    case Problem::Duplicate: return IDS_NAME_EXISTS;
    case Problem::ForbiddenCharacter: return IDS_NAME_FORBIDDEN_CHARS;
    }
    return 0;
}

bool CRecordingNameRules::CheckAndWarn(const CRecordingList& list, const QString& folder, const QString& name,
                                       const CRecordingEntry* except)
{
    const Problem problem = Check(list, folder, name, except);
    if (problem == Problem::None)
        return true;
    MessageBox(LoadText(MessageTextId(problem)), PromptIcon::Exclamation);
    return false;
}

}  // namespace sonvelle
