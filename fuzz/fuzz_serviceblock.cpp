// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: the controller's settings block as the service windows interpret it. The
// first 38 bytes are the block as reply 51 brings it; then a language byte, the precise
// thermocouple reading (two bytes) and a recipe of clicks and typing: the Kvac, correction and
// ambient arrows, text typed into one of the thirteen factory fields, the counter resets, and
// the window opened again.
//
// Every text shown reads back as the value it shows; the arrows stay within their limits, change
// only their own bytes and leave the block giving back what they show; typing stores only values
// within its field's limits, on its own bytes; the block written back by request 52 is the one
// edited, with the bytes the console does not interpret as they came, and reads back the same.

#include "fuzz/fuzzcheck.h"
#include "link/replydecoder.h"
#include "link/requests.h"
#include "service/servicelogic.h"

#include <QStringList>

#include <cstdint>

namespace
{

/// Whether `text` is "H:MM:SS" for `seconds`.
bool isDuration(const QString &text, quint32 seconds)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 3 || parts[1].size() != 2 || parts[2].size() != 2)
        return false;
    bool ok[3] = {};
    const quint32 h = parts[0].toUInt(&ok[0]);
    const quint32 m = parts[1].toUInt(&ok[1]);
    const quint32 s = parts[2].toUInt(&ok[2]);
    return ok[0] && ok[1] && ok[2] && m < 60 && s < 60 && h * 3600 + m * 60 + s == seconds &&
           (parts[0] == QStringLiteral("0") || !parts[0].startsWith(QLatin1Char('0')));
}

/// The bytes of `after` that differ from `before`, as a bit set.
quint64 changedBytes(const ServiceBlock &before, const ServiceBlock &after)
{
    quint64 changed = 0;
    for (int i = 0; i < ServiceBlock::Size; ++i) {
        if (before.bytes[size_t(i)] != after.bytes[size_t(i)])
            changed |= quint64(1) << i;
    }
    return changed;
}

constexpr quint64 bytesOf(int offset, int count)
{
    return ((quint64(1) << count) - 1) << offset;
}

/// What the windows show of the block on opening, each text checked against its field.
void checkTexts(const ServiceBlock &block, quint8 language)
{
    for (const Service::ParameterField &f : Service::ParameterFields) {
        bool ok = false;
        Require(Service::FieldText(block, f).toUInt(&ok) == Service::FieldValue(block, f) && ok,
                "a settings field shows its value");
        Require(f.wide || Service::FieldValue(block, f) <= 0xFF, "an 8-bit field fits 8 bits");
    }
    Require(isDuration(Service::WorkTimeText(block), Service::WorkTimeSeconds(block)),
            "the work time reads as its seconds");
    Require(isDuration(Service::ResourceText(block), block.HeaterResource()),
            "the resource reads as its seconds");
    Require(Service::OpeningText(block, language)
                .endsWith(QStringLiteral(", %1").arg(block.OpeningPulses())),
            "the opening shows its pulses");
    Require(Service::ClosingText(block, language)
                .endsWith(QStringLiteral(", %1").arg(block.ClosingPulses())),
            "the closing shows its pulses");
    Require(Service::ReperCountText(block, language).contains(QString::number(block.ReperCount())),
            "the reference count is shown");
    Require(Service::TOperationText(block, language).contains(QString::number(block.Trep())),
            "the operation temperature is shown");
    for (int i = 0; i < 3; ++i)
        Require(!Service::UOperationText(block, i, language).isEmpty(), "a voltage is shown");
}

/// Request 52 carries the block as edited; reply 51 with those bytes gives it back.
void checkWriteBack(const FurnaceImage &image)
{
    quint8 payload[256] = {};
    const int n = BuildRequestPayload({RequestKind::WriteServiceBlock, 52, 0}, image, payload);
    Require(n == ServiceBlock::Size, "request 52 carries the whole block");
    for (int i = 0; i < ServiceBlock::Size; ++i)
        Require(payload[i] == image.Block.bytes[size_t(i)], "request 52 carries the block edited");
    FurnaceImage read;
    RequestState requests;
    Require(DecodeReply(51, payload, ServiceBlock::Size, read, requests).applied,
            "the block written reads back");
    Require(read.Block.bytes == image.Block.bytes, "the block written reads back the same");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FurnaceImage image;
    RequestState requests;
    quint8 reply[ServiceBlock::Size] = {};
    const size_t blockBytes = std::min<size_t>(size, ServiceBlock::Size);
    std::copy(data, data + blockBytes, reply);
    Require(DecodeReply(51, reply, ServiceBlock::Size, image, requests).applied,
            "a 38-byte reply 51 is taken");
    ServiceBlock &block = image.Block;
    const ServiceBlock received = block;

    Recipe recipe(data + blockBytes, size - blockBytes);
    const quint8 language = recipe.next() & 1;
    const quint16 fine = quint16(recipe.next() | (recipe.next() << 8));
    image.AdcMeasures[8] = fine;

    // What the basic services window shows, as the arrows read it back.
    int shownKvac = block.Kvac();
    int shownDt = Service::CorrectionDt(block);
    bool resourceReset = false;
    checkTexts(block, language);

    for (int op = 0; op < 64 && !recipe.done(); ++op) {
        const quint8 code = recipe.next();
        const bool up = code & 0x80;
        const ServiceBlock before = block;
        switch (code % 6) {
        case 0: {
            const quint8 kvac = Service::KvacArrow(block, shownKvac, up);
            Require(kvac >= Service::KvacLowest && kvac <= Service::KvacHighest,
                    "Kvac stays within its limits");
            Require(block.Kvac() == kvac, "the block holds the Kvac shown");
            Require((changedBytes(before, block) & ~bytesOf(ServiceBlock::oKvac, 1)) == 0,
                    "the Kvac arrows change Kvac only");
            shownKvac = kvac;
            break;
        }
        case 1: {
            const int dT = Service::CorrectionArrow(block, shownDt, up);
            Require(dT >= Service::CorrectionLowest && dT <= Service::CorrectionHighest,
                    "the correction stays within its limits");
            Require(Service::CorrectionDt(block) == dT, "the block gives back the correction set");
            if (shownDt >= Service::CorrectionLowest && shownDt <= Service::CorrectionHighest)
                Require(dT - shownDt >= -1 && dT - shownDt <= 1,
                        "an arrow moves the correction by one at most");
            Require((changedBytes(before, block) & ~bytesOf(ServiceBlock::oKT1, 2)) == 0,
                    "the correction arrows change KT1 only");
            shownDt = dT;
            break;
        }
        case 2:
            Service::AmbientArrow(block, fine, up);
            Require(block.AmbientOffset() >= Service::AmbientOffsetLowest &&
                        block.AmbientOffset() <= Service::AmbientOffsetHighest,
                    "the ambient offset stays within its limits");
            Require(block.TcoupleOffset() == fine, "the thermocouple offset is the reading");
            Require((changedBytes(before, block) & ~(bytesOf(ServiceBlock::oAmbientOffset, 1) |
                                                     bytesOf(ServiceBlock::oTcoupleOffset, 2))) ==
                        0,
                    "the ambient arrows change the two offsets only");
            break;
        case 3: {
            const Service::ParameterField &f =
                Service::ParameterFields[recipe.next() % Service::ParameterFields.size()];
            // Mostly digits, now and then anything (a paste).
            QString text;
            for (int n = recipe.next() % 8; n > 0; --n) {
                const quint8 c = recipe.next();
                text += c < 200 ? QChar(u'0' + c % 10) : QChar(char16_t(c * 131));
            }
            if (const std::optional<quint16> t = Service::SupportTempToSend(text))
                Require(*t <= Service::MaxSupportTemp, "no support temperature above 400 is sent");
            const Service::FieldEntry entry = Service::EnterField(block, f, text);
            const quint64 own = bytesOf(f.offset, f.wide ? 2 : 1);
            switch (entry.outcome) {
            case Service::FieldEntry::Stored:
                Require(entry.value >= std::max(f.lowest, 0) && entry.value <= f.highest,
                        "a value stored lies within its field's limits");
                break;
            case Service::FieldEntry::Clamped:
                Require(entry.value == f.highest, "a value clamped is the upper limit");
                break;
            case Service::FieldEntry::NotANumber:
            case Service::FieldEntry::Ignored:
                Require(block.bytes == before.bytes, "a text not stored leaves the block");
                break;
            }
            if (entry.outcome == Service::FieldEntry::Stored ||
                entry.outcome == Service::FieldEntry::Clamped) {
                Require(Service::FieldValue(block, f) == entry.value, "the field holds its value");
                Require((changedBytes(before, block) & ~own) == 0, "a field changes its own bytes");
            }
            break;
        }
        case 4:
            if (up) {
                block.resetHeaterResource();
                resourceReset = true;
                Require(Service::ResourceText(block) == QStringLiteral("0:00:00"),
                        "a reset resource shows zero");
            } else {
                block.setHeaterWorkTime(0);
                Require(Service::WorkTimeText(block) == QStringLiteral("0:00:00"),
                        "a reset work time shows zero");
            }
            break;
        default:
            // Opened again: the windows show the block as it is now.
            checkTexts(block, language);
            shownKvac = block.Kvac();
            shownDt = Service::CorrectionDt(block);
            break;
        }
        checkWriteBack(image);
    }

    for (int i : {4, 5, 33})
        Require(block.bytes[size_t(i)] == received.bytes[size_t(i)],
                "the bytes not interpreted go back as they came");
    for (int i : {36, 37})
        Require(block.bytes[size_t(i)] == (resourceReset ? 0 : received.bytes[size_t(i)]),
                "the bytes after the resource go back as they came, or zero after its reset");
    checkWriteBack(image);

    // The values beside the block that the windows interpret.
    const quint8 mode = recipe.next();
    const int entry = Service::EconomyIndex(mode);
    Require(entry >= 0 && entry <= 6, "the economy list has an entry for every mode");
    Require(Service::EconomyModeOf(entry) >= 90 && Service::EconomyModeOf(entry) <= 96,
            "an economy entry sends a mode of the list");
    const quint8 step = recipe.next();
    Require(Service::ReperRunPhase(step).has_value() == (step <= Service::ReperRunLastStep),
            "the reference run shows a phase until its last step");
    Require(Service::ReperTuningPhase(step).has_value() == (step <= Service::ReperTuningLastStep),
            "the tuning shows a phase until its last step");
    const quint16 operatedAt = quint16(recipe.next() | (recipe.next() << 8));
    const QString result = Service::TuningResultText(block, operatedAt);
    bool ok = false;
    Require(result.startsWith(QStringLiteral("dT= ")) && result.endsWith(QStringLiteral("°C")) &&
                result.mid(4, result.size() - 6).toInt(&ok) ==
                    int(operatedAt) - int(block.Trep()) &&
                ok,
            "the tuning's result reads as the signed difference");
    return 0;
}
