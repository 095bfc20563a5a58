#pragma once

#include <QString>

namespace AppModul {

// Writes the resource's raw bytes to path and returns path; the empty string
// on any failure.
QString SaveResourceToFile(const QString& path, const QString& resourceName,
                           const QString& resourceType);

} // namespace AppModul
