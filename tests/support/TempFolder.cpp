#include "support/TempFolder.h"

#include <QFile>

TempFolder::TempFolder() = default;

QString TempFolder::path() const
{
    return m_dir.path() + '/';
}

QString TempFolder::file(const QString& name) const
{
    return path() + name;
}

void TempFolder::write(const QString& name, const QByteArray& bytes) const
{
    QFile f(file(name));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

QByteArray TempFolder::read(const QString& name) const
{
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
