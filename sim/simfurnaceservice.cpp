// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/simfurnace.h"

#include <algorithm>
#include <cmath>

// The service procedures. Each runs through numbered steps (reported as ServiceStep) and
// returns the controller to holding at its last step, which stays reported until the next stop
// or start.

namespace
{

constexpr double OverheatFirstTemp = 700;  // °C
constexpr double OverheatSecondTemp = 900; // °C
constexpr double OverheatPace = 20;        // °C/min
constexpr double KoverheatPeriod = 10;     // s per unit of adjustment
constexpr int KoverheatTarget = 120;
constexpr double ReperApproachBelow = 40; // °C below Trep where the slow heating starts
constexpr double ReperSlowPace = 5;       // °C/min
constexpr double ReperSearchAbove = 150;  // °C above Trep without operation: sensor defective
constexpr quint8 ReperDefectiveFault = 7;
constexpr double MaxTemp = 1150;
constexpr quint8 KvacLowest = 50;
constexpr quint8 KvacHighest = 150;

} // namespace

bool SimFurnace::startProcedure(Procedure procedure)
{
    if (procedure == Procedure::None || m_mode == Error || programRunning())
        return false;
    m_program.reset();
    m_finished = false;
    m_pumpButton = false;
    m_proc = procedure;
    switch (procedure) {
    case Procedure::DriveCalibration:
        m_mode = DriveCalibration;
        break;
    case Procedure::VacuumCalibration:
        m_mode = VacuumCalibration;
        break;
    case Procedure::OverheatAdjustment:
        m_mode = OverheatAdjustment;
        break;
    case Procedure::ReperTuning:
        m_mode = ReperTuning;
        break;
    case Procedure::ReperRun:
        m_mode = ReperRun;
        break;
    case Procedure::None:
        break;
    }
    m_reperOperated = false;
    m_koverheatCarry = 0;
    enterServiceStep(1);
    return true;
}

void SimFurnace::setDriveTravel(double closingSeconds, double openingSeconds)
{
    if (std::isfinite(closingSeconds) && closingSeconds >= 1 && closingSeconds <= 255)
        m_driveClosingSeconds = closingSeconds;
    if (std::isfinite(openingSeconds) && openingSeconds >= 1 && openingSeconds <= 255)
        m_driveOpeningSeconds = openingSeconds;
}

double SimFurnace::reperTarget() const
{
    return std::max(m_ambient + 10.0, double(m_block.Trep) - ReperApproachBelow);
}

void SimFurnace::enterServiceStep(quint8 step)
{
    m_serviceStep = step;
    m_serviceTime = 0;
    switch (m_proc) {
    case Procedure::DriveCalibration:
        // The drive runs at its own pace here: that is what the calibration measures.
        if (step == 1 || step == 3)
            driveTable(0, 100.0 / m_driveOpeningSeconds);
        else if (step == 2)
            driveTable(100, 100.0 / m_driveClosingSeconds);
        else if (step >= 4)
            finishProcedure();
        break;
    case Procedure::VacuumCalibration:
    case Procedure::OverheatAdjustment:
        if (step == 1)
            driveTable(100, closingSpeed());
        else if (m_proc == Procedure::VacuumCalibration && step == 3)
            // Pumped down: the channel is measured and its coefficient settled; the user may
            // still correct it during the last steps.
            m_block.Kvac = std::clamp(m_vacuumChannelCoefficient, KvacLowest, KvacHighest);
        else if ((m_proc == Procedure::VacuumCalibration && step >= 5) || step >= 7)
            finishProcedure();
        break;
    case Procedure::ReperTuning:
    case Procedure::ReperRun:
        if (step == 1)
            driveTable(0, openingSpeed());
        else if (step == 2)
            driveTable(100, closingSpeed());
        else if ((m_proc == Procedure::ReperTuning && step >= 6) || step >= 8)
            finishProcedure();
        break;
    case Procedure::None:
        break;
    }
}

void SimFurnace::finishProcedure()
{
    if (m_proc == Procedure::ReperRun && m_reperOperated)
        m_block.Trep = m_reperValue2;
    m_proc = Procedure::None;
    m_mode = Holding;
}

void SimFurnace::tickProcedure(double dt)
{
    m_serviceTime += dt;
    const quint8 step = m_serviceStep;
    switch (m_proc) {
    case Procedure::DriveCalibration:
        if (step == 1 && tableAt(0) && tableAt(m_tableTarget)) {
            enterServiceStep(2);
        } else if (step == 2 && tableAt(100)) {
            m_block.ClosingSeconds = quint8(std::clamp(std::lround(m_serviceTime), 1L, 255L));
            m_block.ClosingPulses = quint16(std::lround(m_serviceTime * PulsesPerSecond));
            enterServiceStep(3);
        } else if (step == 3 && tableAt(0)) {
            m_block.OpeningSeconds = quint8(std::clamp(std::lround(m_serviceTime), 1L, 255L));
            m_block.OpeningPulses = quint16(std::lround(m_serviceTime * PulsesPerSecond));
            enterServiceStep(4);
        }
        break;
    case Procedure::VacuumCalibration:
        if ((step == 1 && tableAt(100)) || (step == 2 && (m_vacuum >= 90 || m_serviceTime >= 60)) ||
            (step == 3 && m_serviceTime >= 30) || (step == 4 && m_serviceTime >= 10))
            enterServiceStep(quint8(step + 1));
        break;
    case Procedure::OverheatAdjustment:
        if (step == 4) {
            m_koverheatCarry += dt;
            while (m_koverheatCarry >= KoverheatPeriod) {
                m_koverheatCarry -= KoverheatPeriod;
                if (m_block.Koverheat < KoverheatTarget)
                    ++m_block.Koverheat;
                else if (m_block.Koverheat > KoverheatTarget)
                    --m_block.Koverheat;
            }
        }
        if ((step == 1 && tableAt(100)) || (step == 2 && m_temp >= OverheatFirstTemp) ||
            (step == 3 && m_serviceTime >= 30) || (step == 4 && m_temp >= OverheatSecondTemp) ||
            (step == 5 && m_serviceTime >= 30) || (step == 6 && m_serviceTime >= 60))
            enterServiceStep(quint8(step + 1));
        break;
    case Procedure::ReperTuning:
    case Procedure::ReperRun:
        if (step == 5) {
            // The sensor operates at its true temperature; the controller notes its reading.
            if (trueTemp() >= m_reperOperationTemp) {
                m_reperOperated = true;
                m_reperValue2 = quint16(std::lround(m_temp));
                if (m_block.ReperCount < 0xFFFF)
                    ++m_block.ReperCount;
                enterServiceStep(6);
            } else if (m_temp >= procedureDemand().setpoint) {
                raiseFault(ReperDefectiveFault);
            }
            break;
        }
        if ((step == 1 && tableAt(0) && tableAt(m_tableTarget)) || (step == 2 && tableAt(100)) ||
            (step == 3 && m_temp >= reperTarget()) || (step == 4 && m_serviceTime >= 30) ||
            (step == 6 && m_serviceTime >= 30) || (step == 7 && m_serviceTime >= 30))
            enterServiceStep(quint8(step + 1));
        break;
    case Procedure::None:
        break;
    }
}

SimFurnace::HeaterDemand SimFurnace::procedureDemand() const
{
    switch (m_proc) {
    case Procedure::OverheatAdjustment:
        if (m_serviceStep == 2 || m_serviceStep == 3)
            return {true, OverheatFirstTemp, StandardPace};
        if (m_serviceStep == 4 || m_serviceStep == 5)
            return {true, OverheatSecondTemp, OverheatPace};
        return {};
    case Procedure::ReperTuning:
    case Procedure::ReperRun:
        if (m_serviceStep == 3)
            return {true, reperTarget(), StandardPace};
        if (m_serviceStep == 5)
            return {true, std::min(MaxTemp, m_block.Trep + ReperSearchAbove), ReperSlowPace};
        return {};
    default:
        return {};
    }
}

bool SimFurnace::procedurePump() const
{
    return m_proc == Procedure::VacuumCalibration && (m_serviceStep == 2 || m_serviceStep == 3);
}
