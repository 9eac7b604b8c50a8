// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/serialline.h"
#include "sim/furnacecontroller.h"

#include <QByteArray>
#include <QElapsedTimer>

#include <algorithm>

/// The built-in furnace: a serial line whose other end is a simulated controller in this
/// process.
///
/// write() feeds the controller; its replies are queued for readQueued() at once, or after the
/// controller's injected reply delay (a single-shot timer on this object's thread). Lives and is
/// used on one thread. The controller is owned by the line and outlives open/close cycles.
class SimulatorLine : public SerialLine
{
    Q_OBJECT
public:
    explicit SimulatorLine(QObject *parent = nullptr);
    ~SimulatorLine() override;

    bool open(QString *error) override;
    bool isOpen() const override { return m_open; }
    void close() override;
    /// Drops what is queued for reading and a partly received request; replies still on their
    /// way (delayed) arrive later, as they would from a real controller.
    void purge() override;
    QByteArray readQueued() override;
    bool write(const QByteArray &bytes) override;
    /// The simulated controller's speed.
    double furnaceTimeScale() const override { return m_controller.speed(); }

    /// Ages the simulated furnace while it runs (see SimFurnace::setAgeing()): for the
    /// console's simulator menu. Call it on the line's thread, as every other member: the
    /// console's user-interface thread, where the link's passes run and the furnace moves on.
    void setAgeing(const SimAgeing &ageing) { m_controller.setAgeing(ageing); }
    const SimAgeing &ageing() const { return m_controller.ageing(); }

    FurnaceController &controller() { return m_controller; }
    const FurnaceController &controller() const { return m_controller; }

    /// Test hook: the line dies like an unplugged adapter (closed, then failed() emitted with
    /// `fault`); it cannot be opened again until simulateReplug(). The controller, and the
    /// furnace it runs, go on meanwhile.
    void simulateFailure(const QString &reason, LineFault fault = LineFault::Disconnected);
    /// Test hook: the adapter is back; open() succeeds again.
    void simulateReplug() { m_failed = false; }

    /// The furnace's serial line: 9600 baud, 8 data bits, no parity, 2 stop bits.
    static constexpr double FurnaceLineRate = 9600.0 / 11.0;
    /// Carries bytes at `bytesPerSecond` each way, as a serial line does: a reply arrives when
    /// the request and the reply would both have crossed the line. 0 (the default): at once.
    void setLineRate(double bytesPerSecond) { m_lineRate = std::max(0.0, bytesPerSecond); }

private:
    /// Queues `reply` for reading now, or after `delay` ms when this session is still open.
    void deliver(const QByteArray &reply, int delay);

    FurnaceController m_controller;
    QByteArray m_queued;
    bool m_open = false;
    bool m_failed = false;
    quint64 m_session = 0; ///< bumped on close, so that late replies of a closed session drop
    double m_lineRate = 0;
    QElapsedTimer m_lineClock;
    qint64 m_lineFreeNs = 0; ///< when the bytes written so far are across the line
};
