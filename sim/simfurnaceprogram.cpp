// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/simfurnace.h"

#include <algorithm>
#include <cmath>

// Execution of a firing program: steps in order, each ending on its own condition (time,
// temperature or table position); the vacuum goes on and off at the steps the program names.

namespace
{

constexpr double TempEpsilon = 1e-6;
constexpr double CoolingTolerance = 0.5; // °C: natural cooling is asymptotic

} // namespace

double SimFurnace::paceOf(quint16 value)
{
    if (value == 0 || value == quint16(StandardPaceValue))
        return StandardPace;
    return double(value);
}

bool SimFurnace::startProgram(const SimProgram &program)
{
    if (m_mode == Error)
        return false;
    m_proc = Procedure::None;
    m_serviceStep = 0;
    m_serviceTime = 0;
    m_pumpButton = false;
    m_program = program;
    m_mode = Program;
    m_finished = false;
    m_programTime = 0;
    m_vacOn = false;
    m_vacDone = false;
    m_fired = false;
    m_setpoint = m_temp;
    stopTable();
    enterStep(0);
    tickProgram(0);
    return true;
}

bool SimFurnace::replaceProgram(const SimProgram &program)
{
    if (m_mode != Program || !m_program)
        return false;
    m_program = program;
    if (m_finished)
        return true;
    applyStep(false);
    tickProgram(0);
    return true;
}

void SimFurnace::enterStep(int index)
{
    if (index > SimProgram::LastStep) {
        finishProgram();
        return;
    }
    m_step = index;
    m_stepTime = 0;
    m_stepStartTemp = m_temp;
    applyStep(true);
}

// Sets up what the current step drives. `fresh` is false when a replaced program re-reads the
// step it is in: the time already spent in it counts.
void SimFurnace::applyStep(bool fresh)
{
    const SimProgram::Step &s = m_program->steps[size_t(m_step)];
    switch (s.code) {
    case SimProgram::Opening: {
        const double duration = s.value ? s.value * 60.0 : DefaultOpeningSeconds;
        const double left = fresh ? duration : std::max(1.0, duration - m_stepTime);
        if (!tableAt(0))
            driveTable(0, std::min(openingSpeed(), m_level / left));
        break;
    }
    case SimProgram::Close: {
        const double target = std::min<double>(s.argument, 100);
        const double distance = std::abs(target - m_level);
        if (distance <= 0)
            break;
        double speed = target > m_level ? closingSpeed() : openingSpeed();
        if (s.value) {
            const double duration = s.value * 60.0;
            const double left = fresh ? duration : std::max(1.0, duration - m_stepTime);
            speed = std::min(speed, distance / left);
        }
        driveTable(target, speed);
        break;
    }
    case SimProgram::EndOfFiring:
        m_fired = true;
        break;
    case SimProgram::EndOfProgram:
        finishProgram();
        break;
    default:
        break;
    }
}

bool SimFurnace::stepDone() const
{
    const SimProgram::Step &s = m_program->steps[size_t(m_step)];
    switch (s.code) {
    case SimProgram::Start:
        return m_stepTime >= StartSeconds - 1e-9;
    case SimProgram::Opening:
        return tableAt(0);
    case SimProgram::Close:
        return tableAt(std::min<double>(s.argument, 100));
    case SimProgram::Heat:
        // A target below what the room allows ends once the chamber is as cold as it gets.
        return std::abs(m_temp - s.argument) < TempEpsilon ||
               (s.argument < m_temp && m_temp <= restTemp() + CoolingTolerance);
    case SimProgram::Hold:
        return m_stepTime >= s.argument - 1e-9;
    case SimProgram::Cool:
        return m_temp <= std::max<double>(s.argument, restTemp()) + CoolingTolerance;
    default:
        // End of firing takes no time; unknown codes are skipped.
        return true;
    }
}

void SimFurnace::finishProgram()
{
    m_finished = true;
    m_step = SimProgram::LastStep;
    m_stepTime = 0;
    m_vacDone = true;
}

void SimFurnace::tickProgram(double dt)
{
    m_stepTime += dt;
    m_programTime += dt;
    for (int guard = 0; guard <= SimProgram::StepCount && !m_finished && stepDone(); ++guard) {
        const SimProgram::Step &s = m_program->steps[size_t(m_step)];
        if (s.code == SimProgram::Heat || s.code == SimProgram::Cool)
            m_setpoint = s.argument;
        enterStep(m_step + 1);
    }
    if (!m_finished)
        updateProgramVacuum();
    if (m_pendingFault && m_programTime >= m_pendingFault->second) {
        const quint8 code = m_pendingFault->first;
        m_pendingFault.reset();
        raiseFault(code);
    }
}

void SimFurnace::updateProgramVacuum()
{
    const SimProgram &p = *m_program;
    if (m_vacDone)
        return;
    const quint8 code = p.steps[size_t(m_step)].code;
    if (!m_vacOn) {
        // On once the step is reached and the temperature too; when the step is a hold, at
        // once (the hold keeps the temperature the step before reached).
        m_vacOn = m_step >= p.VacOnStep &&
                  (m_temp >= p.VacOnTemp || (m_step == p.VacOnStep && code == SimProgram::Hold));
    }
    bool off = m_fired || m_step > p.VacOffStep;
    if (!off && m_step == p.VacOffStep) {
        switch (code) {
        case SimProgram::Heat:
            off = m_temp >= p.VacOff;
            break;
        case SimProgram::Hold:
            off = m_stepTime >= p.VacOff;
            break;
        default:
            off = true;
            break;
        }
    }
    if (off)
        m_vacDone = true;
}

SimFurnace::HeaterDemand SimFurnace::programDemand() const
{
    const SimProgram::Step &s = m_program->steps[size_t(m_step)];
    switch (s.code) {
    case SimProgram::Heat:
        return {true, double(s.argument), paceOf(s.value)};
    case SimProgram::Cool: {
        if (s.value == 0)
            return {}; // natural cooling
        const double start = std::max<double>(m_stepStartTemp, s.argument);
        const double fraction = std::min(1.0, m_stepTime / (s.value * 60.0));
        return {true, start - (start - s.argument) * fraction, StandardPace};
    }
    default:
        return {true, m_setpoint, StandardPace};
    }
}

double SimFurnace::naturalCoolingSeconds(double from, double to, double level) const
{
    const double rest = restTemp();
    const double floorTemp = std::max(to, rest + CoolingTolerance);
    if (from <= floorTemp)
        return 0;
    return std::log((from - rest) / (floorTemp - rest)) / coolingConstantAt(level);
}

// The time the rest of the program needs if every step goes as planned from the present state.
double SimFurnace::remainingSeconds() const
{
    if (!m_program || m_finished)
        return 0;
    double temp = m_temp;
    double level = m_level;
    double total = 0;
    for (int k = m_step; k <= SimProgram::LastStep; ++k) {
        const SimProgram::Step &s = m_program->steps[size_t(k)];
        const bool current = k == m_step;
        const double spent = current ? m_stepTime : 0.0;
        switch (s.code) {
        case SimProgram::Start:
            total += std::max(0.0, StartSeconds - spent);
            break;
        case SimProgram::Opening: {
            if (level <= 0)
                break;
            if (current) {
                total += level / std::max(m_tableSpeed, 1e-3);
            } else {
                const double duration = s.value ? s.value * 60.0 : DefaultOpeningSeconds;
                total += std::max(duration, level / openingSpeed());
            }
            level = 0;
            break;
        }
        case SimProgram::Close: {
            const double target = std::min<double>(s.argument, 100);
            const double distance = std::abs(target - level);
            if (distance <= 0)
                break;
            if (current) {
                total += distance / std::max(m_tableSpeed, 1e-3);
            } else {
                const double drive = target > level ? closingSpeed() : openingSpeed();
                total += std::max(s.value * 60.0, distance / drive);
            }
            level = target;
            break;
        }
        case SimProgram::Heat:
            if (temp < s.argument)
                total += (s.argument - temp) / (std::min(paceOf(s.value), MaxHeatingPace) / 60.0);
            else
                total += naturalCoolingSeconds(temp, s.argument, level);
            temp = s.argument;
            break;
        case SimProgram::Hold:
            total += std::max(0.0, s.argument - spent);
            break;
        case SimProgram::Cool:
            if (temp > s.argument) {
                const double natural = naturalCoolingSeconds(temp, s.argument, level);
                total += std::max(natural, s.value * 60.0 - spent);
                temp = s.argument;
            }
            break;
        case SimProgram::EndOfProgram:
            return total;
        default:
            break;
        }
    }
    return total;
}
