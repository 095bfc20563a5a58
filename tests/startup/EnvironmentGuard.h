#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <optional>

// Sets (or unsets) one environment variable for the life of a test.
class EnvironmentGuard {
  public:
    EnvironmentGuard(const char* name, const std::optional<QByteArray>& value) : m_name(name)
    {
        if (qEnvironmentVariableIsSet(name))
            m_old = qgetenv(name);
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
    ~EnvironmentGuard()
    {
        if (m_old)
            qputenv(m_name, *m_old);
        else
            qunsetenv(m_name);
    }
    EnvironmentGuard(const EnvironmentGuard&) = delete;
    EnvironmentGuard& operator=(const EnvironmentGuard&) = delete;

  private:
    const char* m_name;
    std::optional<QByteArray> m_old;
};
