// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A PostgreSQL server of a test's own: initdb and pg_ctl in a temporary folder, listening on a
// Unix socket there only, with password (SCRAM) authentication through a password file the test
// points PGPASSFILE at. Run as root, the server runs as the unprivileged user "nobody" (the
// server refuses root).

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

class PgServer
{
public:
    static constexpr const char *User = "zkv";
    static constexpr int Port = 54329;

    PgServer()
        : m_dir(QDir::tempPath() + QStringLiteral("/zkv-pg-XXXXXX"))
    {
    }
    ~PgServer() { stop(); }
    PgServer(const PgServer &) = delete;
    PgServer &operator=(const PgServer &) = delete;

    /// The server's programs (the newest PostgreSQL installed); empty when there is none.
    static QString BinDir()
    {
        const QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql"))
                                         .entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QStringList found;
        for (const QString &v : versions)
            if (QFile::exists(QStringLiteral("/usr/lib/postgresql/%1/bin/initdb").arg(v)))
                found << v;
        std::sort(found.begin(), found.end(),
                  [](const QString &a, const QString &b) { return a.toInt() < b.toInt(); });
        return found.isEmpty() ? QString()
                               : QStringLiteral("/usr/lib/postgresql/%1/bin").arg(found.last());
    }

    /// Makes the cluster and starts the server; false with why() when it cannot.
    bool start()
    {
        const QString bin = BinDir();
        if (bin.isEmpty())
            return refuse(QStringLiteral("PostgreSQL's initdb is not installed"));
        if (!m_dir.isValid())
            return refuse(QStringLiteral("no temporary folder"));
        m_bin = bin;
        const QString pwfile = m_dir.filePath(QStringLiteral("pw"));
        if (!write(pwfile, Password))
            return refuse(QStringLiteral("cannot write the password file"));
        if (!write(passFile(), QStringLiteral("*:*:*:%1:%2\n").arg(QLatin1String(User), Password)))
            return refuse(QStringLiteral("cannot write PGPASSFILE"));
        QFile::setPermissions(passFile(), QFile::ReadOwner | QFile::WriteOwner);
#ifdef Q_OS_UNIX
        if (geteuid() == 0) {
            const passwd *pw = getpwnam("nobody");
            if (!pw)
                return refuse(QStringLiteral("no unprivileged user \"nobody\" to run the server"));
            m_runAs = QStringLiteral("nobody");
            for (const QString &path : {m_dir.path(), pwfile})
                if (chown(QFile::encodeName(path).constData(), pw->pw_uid, pw->pw_gid) != 0)
                    return refuse(QStringLiteral("cannot hand the folder to nobody"));
        }
#endif
        if (!run(QStringLiteral("initdb"),
                 {QStringLiteral("-D"), dataDir(), QStringLiteral("-U"), QLatin1String(User),
                  QStringLiteral("--pwfile=") + pwfile, QStringLiteral("-A"),
                  QStringLiteral("scram-sha-256"), QStringLiteral("-E"), QStringLiteral("UTF8"),
                  QStringLiteral("--no-locale"), QStringLiteral("--no-sync")},
                 120000))
            return false;
        return resume();
    }

    /// Starts the server again after stop().
    bool resume()
    {
        const QString options =
            QStringLiteral("-k %1 -c listen_addresses='' -p %2 -c fsync=off -c max_connections=40")
                .arg(m_dir.path())
                .arg(Port);
        m_running = run(QStringLiteral("pg_ctl"),
                        {QStringLiteral("-D"), dataDir(), QStringLiteral("-o"), options,
                         QStringLiteral("-l"), m_dir.filePath(QStringLiteral("server.log")),
                         QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("60"),
                         QStringLiteral("start")},
                        90000);
        return m_running;
    }

    /// Stops the server at once, dropping its connections.
    bool stop()
    {
        if (!m_running)
            return true;
        m_running =
            !run(QStringLiteral("pg_ctl"),
                 {QStringLiteral("-D"), dataDir(), QStringLiteral("-m"),
                  QStringLiteral("immediate"), QStringLiteral("-w"), QStringLiteral("stop")},
                 60000);
        return !m_running;
    }

    /// Makes the database `name`; false with why() when it cannot.
    bool createDatabase(const QString &name)
    {
        return psql(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE \"%1\"").arg(name));
    }

    /// Runs `sql` in database `name` with psql as the test's user; false with why().
    bool psql(const QString &database, const QString &sql)
    {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(m_bin + QStringLiteral("/psql"),
                {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-v"),
                 QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-h"), m_dir.path(),
                 QStringLiteral("-p"), QString::number(Port), QStringLiteral("-U"),
                 QLatin1String(User), QStringLiteral("-d"), database, QStringLiteral("-c"), sql});
        if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit ||
            p.exitCode() != 0)
            return refuse(QStringLiteral("psql: ") +
                          QString::fromLocal8Bit(p.readAllStandardError()));
        return true;
    }

    /// The logbook address of database `name`.
    QString url(const QString &name) const
    {
        return QStringLiteral("postgresql://%1@/%2?host=%3&port=%4")
            .arg(QLatin1String(User), name, m_dir.path())
            .arg(Port);
    }
    /// The password file a client must find in PGPASSFILE.
    QString passFile() const
    {
        return m_dir.filePath(QStringLiteral("pgpass"));
    }
    /// The environment of a process that uses the server (PGPASSFILE set).
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PGPASSFILE"), passFile());
        return env;
    }
    QString why() const
    {
        return m_why;
    }

private:
    static constexpr const char *Password = "furnace-test-secret";

    QString dataDir() const
    {
        return m_dir.filePath(QStringLiteral("data"));
    }

    bool refuse(const QString &why)
    {
        m_why = why;
        return false;
    }

    static bool write(const QString &path, const QString &text)
    {
        QFile f(path);
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
               f.write(text.toUtf8()) == text.toUtf8().size();
    }

    /// Runs one of the server's programs (as nobody when the test runs as root).
    bool run(const QString &program, QStringList arguments, int msecs)
    {
        QString executable = m_bin + QLatin1Char('/') + program;
        if (!m_runAs.isEmpty()) {
            arguments.prepend(executable);
            arguments.prepend(QStringLiteral("--"));
            arguments.prepend(m_runAs);
            arguments.prepend(QStringLiteral("-u"));
            executable = QStandardPaths::findExecutable(QStringLiteral("runuser"));
            if (executable.isEmpty())
                return refuse(QStringLiteral("runuser is missing"));
        }
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.setWorkingDirectory(m_dir.path());
        p.start(executable, arguments);
        if (!p.waitForFinished(msecs) || p.exitStatus() != QProcess::NormalExit ||
            p.exitCode() != 0) {
            QFile log(m_dir.filePath(QStringLiteral("server.log")));
            QString tail;
            if (log.open(QIODevice::ReadOnly))
                tail = QString::fromLocal8Bit(log.readAll().right(600));
            return refuse(program + QStringLiteral(": ") + QString::fromLocal8Bit(p.readAll()) +
                          tail);
        }
        return true;
    }

    QTemporaryDir m_dir;
    QString m_bin;
    QString m_runAs;
    QString m_why;
    bool m_running = false;
};
