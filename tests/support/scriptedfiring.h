// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "logbook/firingrecord.h"
#include "tests/support/samplefiring.h"

#include <QDateTime>

/// A firing of the sample glaze program started at `start`, with `samples` readings one per
/// 0.8 s climbing from 400 °C, stage texts in two languages, a lost and regained link.
inline FiringRecord ScriptedFiring(const QDateTime &start, int samples,
                                   const QString &mass = QStringLiteral("Дентин, \"A2\""),
                                   const QString &layer = QStringLiteral("Glaze/Stain 1"))
{
    FiringFacts facts;
    facts.massName = mass;
    facts.layerName = layer;
    facts.record = SampleFiring();
    facts.record.ProgNumber = 7;
    facts.port = QStringLiteral("/dev/ttyUSB0");
    facts.furnaceModel = QStringLiteral("ZKV4.6");
    facts.versionMajor = 1;
    facts.versionMinor = 5;
    facts.operatorName = QStringLiteral("anna");
    facts.console = QStringLiteral("ZKV4.6 CONSOLE 1.0.0");
    FiringRecord record;
    record.start(facts, start);
    for (int i = 0; i < samples; ++i) {
        TraceSample s;
        s.Seconds = 0.8 * i;
        s.WallClock = start.addMSecs(800 * i);
        s.CurrentZone = quint8(3 + i * 16 / std::max(1, samples));
        s.ZoneTime = quint16(i % 60);
        s.StageText = i % 2 ? QStringLiteral("Нагрев") : QStringLiteral("Heating, 930°C");
        s.ChamberTemp = quint16(400 + i * 530 / std::max(1, samples));
        s.Vacuum = quint8(i % 97);
        s.ChamberStatus = 3;
        s.ControllerMode = 32;
        record.trace().add(s);
        if (i == samples / 3)
            record.addEvent(RecordEventKind::LinkLost, s.WallClock);
        if (i == samples / 3 + 2)
            record.addEvent(RecordEventKind::LinkBack, s.WallClock);
    }
    return record;
}
