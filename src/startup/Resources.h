#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The program's own resources, found by type and name (":/TYPE/NAME").
namespace Commands {

std::optional<QByteArray> loadResource(const QString& type, const QString& name);

} // namespace Commands
