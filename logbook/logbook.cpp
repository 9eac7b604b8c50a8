// SPDX-License-Identifier: GPL-3.0-or-later
#include "logbook/logbook.h"

#include "logbook/logbookwriter.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QStandardPaths>
#include <QSysInfo>
#include <QThread>
#include <QTimer>
#include <QUuid>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace
{

/// How long closing waits for the writer to finish what is queued: the database's lock wait
/// and a last commit.
constexpr int CloseWaitMs = 8000;

} // namespace

Logbook::Logbook(const LogbookSettings &settings, QObject *parent)
    : QObject(parent)
    , m_settings(settings)
{
    m_sinceFlush.start();
    if (m_settings.file.isEmpty())
        return;
    if (shared() && m_settings.spoolFile.isEmpty())
        m_settings.spoolFile = SpoolFileFor(m_settings.file);
    const LogbookSession session{QUuid::createUuid().toString(QUuid::WithoutBraces),
                                 QSysInfo::machineHostName(),
                                 qint64(QCoreApplication::applicationPid())};
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("logbook"));
    m_writer = new LogbookWriter(m_settings, session);
    m_writer->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_writer, &QObject::deleteLater);
    connect(m_writer, &LogbookWriter::stateChanged, this, &Logbook::setState);
    connect(m_writer, &LogbookWriter::entrySealed, this, &Logbook::entrySealed);
    connect(m_writer, &LogbookWriter::driftFound, this, &Logbook::driftFound);
    connect(m_writer, &LogbookWriter::checksEvaluated, this, &Logbook::checksEvaluated);
    connect(m_writer, &LogbookWriter::entryFailed, this, &Logbook::entryFailed);
    connect(m_writer, &LogbookWriter::amended, this, &Logbook::amended);
    connect(m_writer, &LogbookWriter::recovered, this, &Logbook::recovered);
    connect(m_writer, &LogbookWriter::imported, this, &Logbook::imported);
    connect(m_writer, &LogbookWriter::waitingChanged, this, [this](int count) {
        m_waiting = count;
        emit waitingChanged(count);
    });
    connect(m_writer, &LogbookWriter::marked, this,
            [this](quint64 ticket) { m_written = std::max(m_written, ticket); });
    m_state = State::Opening;
    m_thread->start();
    QMetaObject::invokeMethod(m_writer, &LogbookWriter::start, Qt::QueuedConnection);
}

Logbook::~Logbook()
{
    if (!m_thread)
        return;
    m_writer->closing = true;
    QMetaObject::invokeMethod(m_writer, &LogbookWriter::stop, Qt::QueuedConnection);
    m_thread->quit();
    if (m_thread->wait(QDeadlineTimer(CloseWaitMs))) {
        delete m_thread;
        return;
    }
    // A disk that does not answer: the thread is left to end with the process rather than
    // holding up the window's closing.
    qWarning("The firing logbook did not finish writing within %d s: %s", CloseWaitMs / 1000,
             qPrintable(m_settings.file));
}

QString Logbook::DefaultFile()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("logbook.sqlite"));
}

QString Logbook::SpoolFileFor(const QString &location)
{
    const QByteArray id =
        QCryptographicHash::hash(location.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("logbook-spool-%1.sqlite").arg(QString::fromLatin1(id)));
}

bool Logbook::shared() const
{
    return LogbookSchema::DialectOf(m_settings.file) == SqlDialect::PostgreSQL;
}

QString Logbook::SystemUserName()
{
    for (const char *variable : {"USER", "USERNAME", "LOGNAME"}) {
        const QString name = qEnvironmentVariable(variable);
        if (!name.isEmpty())
            return name;
    }
#ifdef Q_OS_UNIX
    if (const passwd *pw = getpwuid(getuid()))
        return QString::fromLocal8Bit(pw->pw_name);
#endif
    return {};
}

void Logbook::setState(State state, const QString &problem)
{
    m_state = state;
    m_problem = problem;
    emit stateChanged(state, problem);
}

void Logbook::post(const FiringRecord &record)
{
    m_sinceFlush.restart();
    if (!m_writer)
        return;
    // The copy shares the samples with the window's record: handing it over costs no copying.
    QMetaObject::invokeMethod(
        m_writer, [writer = m_writer, record] { writer->sync(record); }, Qt::QueuedConnection);
}

void Logbook::firingStarted(const FiringRecord &record)
{
    post(record);
}

void Logbook::firingTick(const FiringRecord &record)
{
    if (m_sinceFlush.elapsed() >= qint64(m_settings.flushSeconds) * 1000)
        post(record);
}

void Logbook::firingEnded(const FiringRecord &record)
{
    post(record);
}

void Logbook::amend(const QString &uid, const QString &field, const QString &value,
                    const QString &operatorName)
{
    if (!m_writer)
        return;
    QMetaObject::invokeMethod(
        m_writer,
        [writer = m_writer, uid, field, value, operatorName, at = QDateTime::currentDateTime()] {
            writer->amend(uid, field, value, operatorName, at);
        },
        Qt::QueuedConnection);
}

void Logbook::evaluateChecks(const QString &furnaceKey)
{
    if (!m_writer)
        return;
    QMetaObject::invokeMethod(
        m_writer, [writer = m_writer, furnaceKey] { writer->evaluateChecks(furnaceKey); },
        Qt::QueuedConnection);
}

void Logbook::importRecord(const FiringRecord &record)
{
    if (!m_writer) {
        emit entryFailed(record.uid(), QStringLiteral("the logbook is off"));
        return;
    }
    QMetaObject::invokeMethod(
        m_writer, [writer = m_writer, record] { writer->importRecord(record); },
        Qt::QueuedConnection);
}

bool Logbook::waitForWrites(int msecs)
{
    if (!m_writer)
        return true;
    const quint64 ticket = ++m_posted;
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(m_writer, &LogbookWriter::marked, &loop, [&loop, ticket](quint64 written) {
        if (written >= ticket)
            loop.quit();
    });
    QMetaObject::invokeMethod(
        m_writer, [writer = m_writer, ticket] { writer->mark(ticket); }, Qt::QueuedConnection);
    timeout.start(msecs);
    loop.exec();
    // The window's own connection may not have seen the mark yet: it is queued behind this one.
    QCoreApplication::processEvents();
    return m_written >= ticket;
}
