// Placeholder bodies until the start-up subsystem lands.
#include "startup/FilePlaces.h"
#include "startup/IniStore.h"
#include "startup/NumberText.h"
#include "startup/SaveResourceToFile.h"
#include "startup/SingleInstance.h"
#include "startup/StartUp.h"
#include "startup/WindowHelpers.h"

#include <QDir>
#include <QWidget>
#include <cstdlib>

namespace Commands {
bool Main() { return true; }
void InitPaths() {}
void PrepareFiles() {}
void ChooseWindowPlatform() {}
void EndProgram() { std::_Exit(0); }
double LeadingNumber(const QString&) { return 0; }
std::optional<qint16> ToInt16(double) { return std::nullopt; }
std::optional<qint32> ToInt32(double) { return std::nullopt; }
QString ReadIniString(const QString&, const QString&, const QString&, const QString& d) { return d; }
void WriteIniString(const QString&, const QString&, const QString&, const QString&) {}
QString GetTempDir() { return QDir::tempPath() + '/'; }
void AddBackslash(QString& p) { if (!p.endsWith('/')) p += '/'; }
bool FileExists(const QString&) { return false; }
QString GetLongPath(const QString& p) { return p; }
QPoint CenteredPosition(int, int, int, int) { return {}; }
void CenterForm(QWidget&) {}
void SetTopmost(QWidget&) {}
bool ClaimSingleInstance() { return true; }
void ReleaseSingleInstance() {}
}  // namespace Commands

namespace AppModul {
QString SaveResourceToFile(const QString&, const QString&, const QString&) { return {}; }
}
