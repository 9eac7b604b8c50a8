// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/simfurnace.h"

#include <algorithm>
#include <cmath>

namespace
{

// Natural losses: about 40 °C/min at 1000 °C with the chamber closed, three times that with
// the table lowered.
constexpr double ClosedCoolingConstant = 6.8e-4; // 1/s
constexpr double OpenCoolingFactor = 3.0;
constexpr double PumpTimeConstant = 6.0; // s
constexpr double VentTimeConstant = 2.0; // s
constexpr double MaxVacuum = 98.0;       // %
constexpr double LevelEpsilon = 1e-6;

} // namespace

SimFurnace::SimFurnace()
{
    m_setpoint = m_temp;
}

// --- time ---------------------------------------------------------------------------------

void SimFurnace::advance(double seconds)
{
    if (!std::isfinite(seconds) || seconds <= 0)
        return;
    double left = seconds;
    while (left > 1e-9) {
        if (steady()) {
            settle(left);
            return;
        }
        const double dt = std::min(left, TickSeconds);
        tick(dt);
        left -= dt;
    }
}

bool SimFurnace::steady() const
{
    if (programRunning() || m_proc != Procedure::None)
        return false;
    if (!tableAt(m_tableTarget) || m_vacuum != vacuumTarget())
        return false;
    const HeaterDemand d = heaterDemand();
    return !d.on || (m_temp == d.setpoint && (!heaterLimited() || heatingReach() >= 0));
}

// Nothing moves but the temperature, which either rests at the heater's setpoint or falls
// exponentially towards ambient: both have a closed form, so long idle spans cost nothing.
void SimFurnace::settle(double seconds)
{
    m_time += seconds;
    const HeaterDemand d = heaterDemand();
    if (d.on) {
        m_heaterPowered = true;
        countHeaterTime(seconds);
        return;
    }
    m_heaterPowered = false;
    const double rest = restTemp();
    m_temp = rest + (m_temp - rest) * std::exp(-coolingConstant() * seconds);
    if (std::abs(m_temp - rest) < 0.05)
        m_temp = rest;
}

void SimFurnace::tick(double dt)
{
    m_time += dt;
    moveTable(dt);
    heat(dt, heaterDemand());
    pump(dt);
    if (m_mode == Program && !m_finished)
        tickProgram(dt);
    else if (m_proc != Procedure::None)
        tickProcedure(dt);
}

void SimFurnace::moveTable(double dt)
{
    if (tableAt(m_tableTarget))
        return;
    const double stepLen = m_tableSpeed * dt;
    if (m_tableTarget > m_level)
        m_level = std::min(m_tableTarget, m_level + stepLen);
    else
        m_level = std::max(m_tableTarget, m_level - stepLen);
    if (std::abs(m_level - m_tableTarget) < LevelEpsilon)
        m_level = m_tableTarget;
}

void SimFurnace::heat(double dt, const HeaterDemand &demand)
{
    const double rest = restTemp();
    const double cooled = std::max(rest, m_temp - coolingRate(m_temp) * dt);
    if (!demand.on) {
        m_heaterPowered = false;
        m_temp = cooled;
        if (std::abs(m_temp - rest) < 0.05)
            m_temp = rest;
        return;
    }
    if (m_temp < demand.setpoint) {
        double pace = std::clamp(demand.pace, 0.1, MaxHeatingPace);
        if (heaterLimited())
            pace = std::min(pace, heatingReach());
        if (pace >= 0)
            m_temp = std::min(demand.setpoint, m_temp + pace / 60.0 * dt);
        else
            m_temp = std::max(rest, m_temp + pace / 60.0 * dt);
        m_heaterPowered = true;
    } else {
        // The heater cannot cool: above the setpoint the chamber loses heat naturally.
        m_temp = std::max(demand.setpoint, cooled);
        m_heaterPowered = m_temp <= demand.setpoint;
        // A weak element at full power may still lose the setpoint, if more slowly.
        if (m_heaterPowered && heaterLimited()) {
            const double reach = heatingReach();
            if (reach < 0)
                m_temp = std::max(rest, m_temp + reach / 60.0 * dt);
        }
    }
    if (m_heaterPowered)
        countHeaterTime(dt);
}

// The element runs hotter than the chamber while it heats and loses heat outward itself, in
// proportion to the chamber's rise; what is left of its power warms the chamber against the
// chamber's own losses. An element adds heat or nothing: it never cools the chamber.
double SimFurnace::heatingReach() const
{
    const double rise = std::max(0.0, m_temp - restTemp());
    const double power = MaxHeatingPace * std::clamp(m_ageing.heaterPowerPercent, 0.0, 100.0) / 100;
    const double closedLosses = MaxHeatingPace / (ElementTopTemp - m_ambient); // per °C of rise
    const double elementLosses = (closedLosses - ClosedCoolingConstant * 60.0) * rise;
    return std::max(0.0, power - elementLosses) - coolingRate(m_temp) * 60.0;
}

double SimFurnace::vacuumTarget() const
{
    if (!pumpOn() || m_level < SealedLevel)
        return 0;
    const double level = (m_economy >= 91 && m_economy <= 95) ? double(m_economy) : MaxVacuum;
    if (m_ageing.vacuumLeak <= 0)
        return level;
    // The pressure left (100 - level, in % of the atmosphere) grows by 1 / (1 - leak).
    return 100.0 - (100.0 - level) / (1.0 - m_ageing.vacuumLeak);
}

void SimFurnace::pump(double dt)
{
    const double target = vacuumTarget();
    const double tau =
        target > 0 ? PumpTimeConstant / (1.0 - m_ageing.vacuumLeak) : VentTimeConstant;
    m_vacuum = target + (m_vacuum - target) * std::exp(-dt / tau);
    if (std::abs(m_vacuum - target) < 0.01)
        m_vacuum = target;
}

double SimFurnace::coolingConstant() const
{
    return coolingConstantAt(m_level);
}

double SimFurnace::coolingConstantAt(double level) const
{
    const double openness = 1.0 - std::clamp(level, 0.0, 100.0) / 100.0;
    return ClosedCoolingConstant * (1.0 + (OpenCoolingFactor - 1.0) * openness);
}

double SimFurnace::coolingRate(double temp) const
{
    return std::max(0.0, temp - restTemp()) * coolingConstant();
}

double SimFurnace::closingSpeed() const
{
    return 100.0 / std::max<int>(1, m_block.ClosingSeconds);
}

double SimFurnace::openingSpeed() const
{
    return 100.0 / std::max<int>(1, m_block.OpeningSeconds);
}

void SimFurnace::driveTable(double target, double speed)
{
    m_tableTarget = std::clamp(target, 0.0, 100.0);
    m_tableSpeed = std::max(speed, 1e-3);
}

bool SimFurnace::tableAt(double level) const
{
    return std::abs(m_level - level) < LevelEpsilon;
}

SimFurnace::HeaterDemand SimFurnace::heaterDemand() const
{
    switch (m_mode) {
    case Program:
        return m_finished ? HeaterDemand{} : programDemand();
    case Holding:
        if (m_proc == Procedure::None) {
            if (m_heaterHolding)
                return {true, double(m_support), HoldingPace};
            return {};
        }
        return procedureDemand();
    case Error:
        return {};
    default:
        return procedureDemand();
    }
}

void SimFurnace::countHeaterTime(double dt)
{
    m_workTimeCarry += dt * 100.0;
    const double whole = std::floor(m_workTimeCarry);
    m_workTimeCarry -= whole;
    const double work = double(m_block.HeaterWorkTime) + whole;
    m_block.HeaterWorkTime = work >= 4294967295.0 ? 0xFFFFFFFFu : quint32(work);

    m_resourceCarry += dt;
    const double secs = std::floor(m_resourceCarry);
    m_resourceCarry -= secs;
    const double resource = double(m_block.HeaterResource) + secs;
    m_block.HeaterResource = resource >= 65535.0 ? quint16(0xFFFF) : quint16(resource);
}

// --- readings -------------------------------------------------------------------------------

quint16 SimFurnace::ChamberTemp() const
{
    return quint16(std::clamp(std::lround(m_temp), 0L, 65535L));
}

quint8 SimFurnace::Vacuum() const
{
    return quint8(std::clamp(std::lround(m_vacuum), 0L, 100L));
}

SimFurnace::Position SimFurnace::position() const
{
    if (!tableAt(m_tableTarget))
        return m_tableTarget > m_level ? Closing : Opening;
    if (m_level >= 100.0 - LevelEpsilon)
        return Closed;
    if (m_level <= LevelEpsilon)
        return Opened;
    return HalfOpen;
}

bool SimFurnace::pumpOn() const
{
    switch (m_mode) {
    case Program:
        return !m_finished && m_vacOn && !m_vacDone;
    case Holding:
        return m_proc == Procedure::None ? m_pumpButton : procedurePump();
    case Error:
        return m_pumpButton;
    default:
        return procedurePump();
    }
}

bool SimFurnace::heaterOn() const
{
    return heaterDemand().on;
}

quint8 SimFurnace::ChamberStatus() const
{
    quint8 status = quint8(position());
    if (pumpOn())
        status |= StatusVacuumBit;
    if (heaterOn())
        status |= StatusHeaterOnBit;
    if (m_heaterPowered && heaterOn())
        status |= StatusHeaterPoweredBit;
    return status;
}

quint8 SimFurnace::stageByte() const
{
    return m_mode == Program ? quint8(m_step) : 0;
}

quint16 SimFurnace::ZoneTime() const
{
    double t = 0;
    if (programRunning())
        t = m_stepTime;
    else if (m_proc != Procedure::None)
        t = m_serviceTime;
    return quint16(std::clamp(std::floor(t + 1e-6), 0.0, 65535.0));
}

quint16 SimFurnace::programSeconds() const
{
    if (m_mode != Program)
        return 0;
    return quint16(std::clamp(std::floor(m_programTime + 1e-6), 0.0, 65535.0));
}

quint16 SimFurnace::RemainingMinutes() const
{
    if (!programRunning())
        return 0;
    const double minutes = std::ceil(remainingSeconds() / 60.0 - 1e-9);
    return quint16(std::clamp(minutes, 0.0, 65535.0));
}

quint16 SimFurnace::ReperValue1() const
{
    // The sensor's voltage climbs with the temperature and steps to its operation voltage
    // when it operates.
    if (m_reperOperated)
        return m_block.Urep1;
    const double ratio = std::clamp(trueTemp() / std::max(1.0, m_reperOperationTemp), 0.0, 1.0);
    return quint16(std::lround(m_block.Urep1 * 0.9 * ratio));
}

double SimFurnace::drift(double period, double amplitude) const
{
    constexpr double TwoPi = 6.283185307179586;
    return amplitude * std::sin(TwoPi * m_time / period);
}

quint16 SimFurnace::AmbientTemp() const
{
    return quint16(std::clamp(std::lround(m_ambient + drift(900, 0.7)), 0L, 65535L));
}

std::array<quint16, 9> SimFurnace::AdcMeasures() const
{
    auto mv = [](double v) { return quint16(std::clamp(std::lround(v), 0L, 65535L)); };
    std::array<quint16, 9> adc{};
    adc[0] = mv(200.0 + 2.0 * (m_ambient + drift(900, 0.7)));
    adc[1] = mv(4500.0 - 40.0 * m_vacuum + m_block.VacOffset + drift(240, 3));
    adc[4] = mv(m_temp * m_block.KT1 / 1000.0);
    adc[5] = ReperValue1();
    adc[6] = mv(4985 + drift(420, 4));
    adc[8] = mv(m_block.TcoupleOffset + 2.0 * (m_temp - m_ambient) * m_block.KT2 / 1000.0);
    return adc;
}

// --- ageing ---------------------------------------------------------------------------------

void SimFurnace::setAgeing(const SimAgeing &ageing)
{
    const auto within = [](double value, double low, double high, double present) {
        return std::isnan(value) ? present : std::clamp(value, low, high);
    };
    const double offset = within(ageing.thermocoupleOffset, -SimAgeing::MaxThermocoupleOffset,
                                 SimAgeing::MaxThermocoupleOffset, m_ageing.thermocoupleOffset);
    // The chamber keeps its heat; only what the thermocouple makes of it changes.
    m_temp += offset - m_ageing.thermocoupleOffset;
    m_ageing.thermocoupleOffset = offset;
    m_ageing.heaterPowerPercent =
        within(ageing.heaterPowerPercent, 0.0, 100.0, m_ageing.heaterPowerPercent);
    m_ageing.vacuumLeak =
        within(ageing.vacuumLeak, 0.0, SimAgeing::MaxVacuumLeak, m_ageing.vacuumLeak);
}

// --- commands -------------------------------------------------------------------------------

bool SimFurnace::chamberCommand(quint8 command)
{
    if (!((m_mode == Holding && m_proc == Procedure::None) || m_mode == Error))
        return false;
    switch (command) {
    case 0:
        stopTable();
        return true;
    case 1:
        driveTable(100, closingSpeed());
        return true;
    case 2:
        driveTable(0, openingSpeed());
        return true;
    default:
        return false;
    }
}

bool SimFurnace::setHeaterHolding(bool on)
{
    if (m_mode != Holding || m_proc != Procedure::None)
        return false;
    m_heaterHolding = on;
    return true;
}

bool SimFurnace::toggleVacuumPump()
{
    if (!((m_mode == Holding && m_proc == Procedure::None) || m_mode == Error))
        return false;
    m_pumpButton = !m_pumpButton;
    return true;
}

void SimFurnace::toHolding()
{
    m_mode = Holding;
    m_fault = 0;
    m_program.reset();
    m_finished = false;
    m_proc = Procedure::None;
    m_serviceStep = 0;
    m_serviceTime = 0;
}

void SimFurnace::stop()
{
    const bool busy = m_mode != Holding || m_proc != Procedure::None;
    if (busy) {
        // The table stops where the program or procedure left it.
        stopTable();
        m_pumpButton = false;
    }
    toHolding();
}

void SimFurnace::restart()
{
    m_pendingFault.reset();
    m_heaterHolding = false;
    m_pumpButton = false;
    stopTable();
    toHolding();
}

void SimFurnace::raiseFault(quint8 code)
{
    toHolding();
    m_mode = Error;
    m_fault = code;
    m_heaterHolding = false;
    m_pumpButton = false;
    stopTable();
}

void SimFurnace::raiseFaultAfter(quint8 code, double programSeconds)
{
    m_pendingFault = std::make_pair(code, std::max(0.0, programSeconds));
}
