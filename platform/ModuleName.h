#pragma once
// Library names as the program writes them ("encodermp3.dll") and as the
// platform names its files ("encodermp3.so").

#include <QString>

namespace sonvelle {

QString PlatformModuleName(const QString& moduleName);

}  // namespace sonvelle
