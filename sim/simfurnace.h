// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sim/simprogram.h"
#include "sim/simserviceblock.h"

#include <QtGlobal>

#include <array>
#include <optional>

/// How far a simulated furnace has aged: a weaker heating element, a leaking vacuum system, a
/// thermocouple out of calibration. The defaults are a furnace as new, which fires exactly as
/// the simulator always has; SimFurnace::setAgeing() describes the model.
struct SimAgeing {
    static constexpr double MaxVacuumLeak = 0.9;
    static constexpr double MaxThermocoupleOffset = 50; ///< °C either way

    /// The element's power, % of a new one's (0 to 100).
    double heaterPowerPercent = 100;
    /// The share of the vacuum pump's speed that leaks take back (0, tight, to MaxVacuumLeak).
    double vacuumLeak = 0;
    /// °C the thermocouple reads above the chamber's true temperature (negative: below).
    double thermocoupleOffset = 0;

    bool operator==(const SimAgeing &) const = default;
};

/// The furnace behind the simulated controller: chamber temperature, table drive, vacuum pump,
/// heater, the firing program and the service procedures, all advanced over simulated time.
///
/// Units: temperatures in °C, vacuum in % rarefaction, table level in % of its travel (0 =
/// lowered, chamber open; 100 = raised, chamber closed), times in simulated seconds. Time only
/// moves in advance(); nothing runs in between. One thread owns an instance.
///
/// The chamber temperature is the one the controller's thermocouple reads: the controller
/// regulates on it and reports it. It is the true temperature only while the thermocouple is
/// in calibration (see setAgeing()).
class SimFurnace
{
public:
    /// Controller modes (request 99).
    enum Mode : quint8 {
        Holding = 0,
        DriveCalibration = 16,
        VacuumCalibration = 21,
        OverheatAdjustment = 22,
        Error = 26,
        ReperTuning = 27,
        ReperRun = 28,
        Program = 32,
    };

    /// Table position states (bits 0-2 of the chamber status).
    enum Position : quint8 { HalfOpen = 0, Closing = 1, Opening = 2, Closed = 3, Opened = 4 };

    /// Chamber status bits above the position.
    static constexpr quint8 StatusVacuumBit = 0x08;
    static constexpr quint8 StatusHeaterOnBit = 0x20;      ///< heater regulating
    static constexpr quint8 StatusHeaterPoweredBit = 0x40; ///< heater drawing power now

    /// The service procedures, each with the controller mode it reports.
    enum class Procedure : quint8 {
        None,
        DriveCalibration,   ///< request 44; ServiceStep 1..4 (4 = done)
        VacuumCalibration,  ///< request 42; ServiceStep 1..5 (5 = done)
        OverheatAdjustment, ///< request 74; ServiceStep 1..7 (7 = done)
        ReperTuning,        ///< request 39; ServiceStep 1..6 (6 = done)
        ReperRun,           ///< request 40; ServiceStep 1..8 (8 = done)
    };

    static constexpr double TickSeconds = 0.1;       ///< integration step
    static constexpr double StandardPaceValue = 240; ///< heat value meaning the standard pace
    static constexpr double StandardPace = 60.0;     ///< °C/min
    static constexpr double HoldingPace = 30.0;      ///< °C/min, idle heating to the support T
    static constexpr double MaxHeatingPace = 200.0;  ///< °C/min, what the heater can do
    /// °C: where a new element's power would just cover the losses of the closed chamber (the
    /// heater model of an aged furnace, setAgeing()).
    static constexpr double ElementTopTemp = 1320.0;
    static constexpr double StartSeconds = 1.0;           ///< duration of a start step
    static constexpr double DefaultOpeningSeconds = 15.0; ///< opening step with value 0
    static constexpr double PulsesPerSecond = 125.0;      ///< table drive pulses
    static constexpr double SealedLevel = 99.95;          ///< table level at which vacuum can build

    SimFurnace();

    // --- time
    /// Moves simulated time on by `seconds` (negative or non-finite values are ignored).
    void advance(double seconds);

    // --- readings
    quint16 ChamberTemp() const;  ///< rounded, as reported
    quint8 Vacuum() const;        ///< rounded %, as reported
    quint8 ChamberStatus() const; ///< position, vacuum and heater bits
    Position position() const;
    double tableLevel() const { return m_level; }
    quint8 ControllerMode() const { return m_mode; }
    quint8 FaultCode() const { return m_fault; }
    /// The program step index while a program runs (19 once it has ended), else 0.
    quint8 stageByte() const;
    /// Seconds spent in the current program step or service step; 0 when neither runs.
    quint16 ZoneTime() const;
    /// Seconds since the running program started; 0 when none.
    quint16 programSeconds() const;
    /// Whole minutes (rounded up) the running program still needs; 0 when none runs.
    quint16 RemainingMinutes() const;
    bool programRunning() const { return m_mode == Program && !m_finished; }
    Procedure procedure() const { return m_proc; }
    quint8 ServiceStep() const { return m_serviceStep; }
    quint16 ReperValue1() const;                          ///< reference-sensor voltage, mV
    quint16 ReperValue2() const { return m_reperValue2; } ///< T at which it last operated, °C
    /// The room temperature as the controller measures it (it wanders by a fraction of a degree).
    quint16 AmbientTemp() const;
    /// Converter readings in mV: [0] cold junction, [1] vacuum sensor, [4] thermocouple coarse,
    /// [5] reference sensor, [6] -5 V supply, [8] thermocouple fine; [2], [3], [7] are 0.
    std::array<quint16, 9> AdcMeasures() const;

    // --- ageing
    /// Ages the furnace (or renews it); values outside their ranges are brought into them, and
    /// one that is not a number keeps its present value. Takes effect from the next moment of
    /// simulated time:
    /// - Heater power p % below 100: the element gives p % of MaxHeatingPace to a cold chamber,
    ///   and the losses it has to cover grow with the chamber's rise over the room, so that a
    ///   new element would just hold ElementTopTemp with the chamber closed (an open table adds
    ///   its own losses). A programmed pace is followed while the element has power left over
    ///   and slowed to what it has from there on; a temperature it cannot hold any more sinks
    ///   to where it can, never faster than the chamber cools by itself; a heating step to a
    ///   temperature beyond its reach waits there (the controller knows no time limit for a
    ///   step). The controller does not know its element is weak: its remaining time still
    ///   counts the programmed pace. At exactly 100 % the element is the simulator's ideal
    ///   one, which follows any pace up to MaxHeatingPace at any temperature; a real new
    ///   element would fall behind only on ramps faster than 60 °C/min above 930 °C (faster
    ///   ones from lower temperatures on).
    /// - Vacuum leak s: air comes back in proportion to the pressure left in the chamber (a
    ///   worn pump valve, a hardened seal), so the chamber pumps down as if the pump had
    ///   (1 - s) of its speed and ends at 1 / (1 - s) times the pressure a tight one reaches:
    ///   with s = 0.4 the economy level 93 % becomes 88.3 % and the pump-down runs 1.67 times
    ///   as slowly. The heating is not touched.
    /// - Thermocouple offset d: the reading is the true temperature plus d. The controller
    ///   regulates its reading as before, so programs, holds and reported curves look as they
    ///   always did while the chamber really stands d lower; a cold chamber reads the room
    ///   temperature plus d. What shows it is the reference sensor, which operates at its true
    ///   temperature: the reper tuning and reper run report it d higher (ReperValue2, and Trep
    ///   after a run), as a silver test would show a laboratory. A changed offset moves the
    ///   reading at once; the true temperature does not jump.
    void setAgeing(const SimAgeing &ageing);
    const SimAgeing &ageing() const { return m_ageing; }
    /// The true chamber temperature, °C (the reading less the thermocouple offset).
    double trueTemp() const { return m_temp - m_ageing.thermocoupleOffset; }

    // --- settings
    quint16 SupportTemp() const { return m_support; }
    void setSupportTemp(quint16 celsius) { m_support = celsius; }
    quint8 VacEconomyMode() const { return m_economy; }
    void setVacEconomyMode(quint8 mode) { m_economy = mode; }
    const SimServiceBlock &serviceBlock() const { return m_block; }
    void setServiceBlock(const SimServiceBlock &block) { m_block = block; }
    /// The temperature at which the reference sensor really operates (°C).
    void setReperOperationTemp(double celsius) { m_reperOperationTemp = celsius; }
    /// How long the table drive really takes for a full close and a full open (s); what the
    /// drive calibration measures into the settings block.
    void setDriveTravel(double closingSeconds, double openingSeconds);
    /// The vacuum channel coefficient the vacuum calibration arrives at (Kvac).
    void setVacuumChannelCoefficient(quint8 kvac) { m_vacuumChannelCoefficient = kvac; }

    // --- commands; each returns false when the furnace does not take it in its present mode
    /// 0 stop, 1 close (raise the table), 2 open (lower it). Only while holding or in error.
    bool chamberCommand(quint8 command);
    /// Heater holding at the support temperature, on or off. Only while holding.
    bool setHeaterHolding(bool on);
    /// The vacuum button: the pump toggles. While holding or in error.
    bool toggleVacuumPump();
    /// Ends a program or a service procedure, clears an error; back to holding.
    void stop();
    /// The controller starts afresh, as after a power cut or a reset: no program, procedure or
    /// fault (mode Holding, stage byte 0), heater holding and pump off, the table stopped where
    /// it is. The chamber keeps its heat and the settings block its values.
    void restart();
    /// Starts `program` from step 0; a running service procedure ends. Refused in error mode.
    bool startProgram(const SimProgram &program);
    /// Replaces the running program, keeping the current step and its elapsed time (an ended
    /// program stays ended). Refused when no program has been started.
    bool replaceProgram(const SimProgram &program);
    /// Starts a service procedure. Refused in error mode and while a program runs.
    bool startProcedure(Procedure procedure);
    /// Error mode with `code` at once: the program or procedure stops, heater and pump off.
    void raiseFault(quint8 code);
    /// Error mode with `code` once a program has run `programSeconds` simulated seconds.
    void raiseFaultAfter(quint8 code, double programSeconds);

private:
    struct HeaterDemand {
        bool on = false;
        double setpoint = 0; ///< °C
        double pace = 0;     ///< °C/min when heating up
    };

    // physics (simfurnace.cpp)
    bool pumpOn() const;
    bool heaterOn() const;
    void tick(double dt);
    bool steady() const;
    void settle(double seconds);
    void moveTable(double dt);
    void heat(double dt, const HeaterDemand &demand);
    void pump(double dt);
    double vacuumTarget() const;           ///< % the pump is heading for (0 when off or not sealed)
    double coolingRate(double temp) const; ///< natural losses, °C/s, at a reading `temp`
    /// What a chamber at room temperature reads, °C.
    double restTemp() const { return m_ambient + m_ageing.thermocoupleOffset; }
    bool heaterLimited() const { return m_ageing.heaterPowerPercent < 100; }
    /// °C/min the element can raise the chamber by at full power now (negative: it cannot hold
    /// the present temperature); only meaningful while heaterLimited().
    double heatingReach() const;
    double coolingConstant() const; ///< 1/s at the present table level
    double coolingConstantAt(double level) const;
    double closingSpeed() const; ///< %/s
    double openingSpeed() const; ///< %/s
    void driveTable(double target, double speed);
    void stopTable() { m_tableTarget = m_level; }
    bool tableAt(double level) const;
    HeaterDemand heaterDemand() const;
    void countHeaterTime(double dt);
    void toHolding();

    // firing program (simfurnaceprogram.cpp)
    void tickProgram(double dt);
    void enterStep(int index);
    void applyStep(bool fresh);
    bool stepDone() const;
    void finishProgram();
    void updateProgramVacuum();
    HeaterDemand programDemand() const;
    double remainingSeconds() const;
    double naturalCoolingSeconds(double from, double to, double level) const;
    static double paceOf(quint16 value);

    // service procedures (simfurnaceservice.cpp)
    void tickProcedure(double dt);
    void enterServiceStep(quint8 step);
    void finishProcedure();
    HeaterDemand procedureDemand() const;
    bool procedurePump() const;
    double reperTarget() const;
    /// A slow, small swing of the readings over simulated time: `amplitude` over `period` s.
    double drift(double period, double amplitude) const;

    SimAgeing m_ageing;
    double m_time = 0;
    double m_ambient = 24;
    double m_temp = 24;
    double m_vacuum = 0;
    double m_level = 100;
    double m_tableTarget = 100;
    double m_tableSpeed = 0; ///< %/s, for the present movement
    bool m_heaterHolding = false;
    bool m_heaterPowered = false;
    bool m_pumpButton = false;
    quint8 m_mode = Holding;
    quint8 m_fault = 0;
    quint8 m_economy = 93;
    quint16 m_support = 400;
    SimServiceBlock m_block = SimServiceBlock::factoryDefaults();
    double m_workTimeCarry = 0; ///< 1/100 s not yet counted
    double m_resourceCarry = 0; ///< seconds not yet counted

    // program
    std::optional<SimProgram> m_program;
    int m_step = 0;
    double m_stepTime = 0;
    double m_programTime = 0;
    double m_setpoint = 0;      ///< temperature the holding steps keep
    double m_stepStartTemp = 0; ///< temperature when the current step began
    bool m_finished = false;
    bool m_vacOn = false;
    bool m_vacDone = false;
    bool m_fired = false; ///< an end-of-firing step was passed
    std::optional<std::pair<quint8, double>> m_pendingFault;

    // service procedure
    Procedure m_proc = Procedure::None;
    quint8 m_serviceStep = 0;
    double m_serviceTime = 0;
    double m_koverheatCarry = 0;
    double m_reperOperationTemp = 662;
    bool m_reperOperated = false;
    quint16 m_reperValue2 = 0;
    double m_driveClosingSeconds = 13.4;
    double m_driveOpeningSeconds = 12.6;
    quint8 m_vacuumChannelCoefficient = 104;
};
