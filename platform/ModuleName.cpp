#include "ModuleName.h"

namespace sonvelle {

QString PlatformModuleName(const QString& moduleName)
{
    if (moduleName.endsWith(QStringLiteral(".dll"), Qt::CaseInsensitive))
        return moduleName.chopped(4) + QStringLiteral(".so");
    return moduleName;
}

}  // namespace sonvelle
