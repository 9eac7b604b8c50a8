// SPDX-License-Identifier: GPL-3.0-or-later
// The controller's side of the upload of masses: the injected faults and the memory dump.

#include "sim/furnacecontroller.h"

#include "library/cp1251.h"

#include <QTextStream>

namespace
{

// The controller's own memory layout, kept apart from the console's so that each checks the
// other.
constexpr int SlotCount = 10;
constexpr int LayersPerSlot = 11;
constexpr int NameSlotSize = 19;
constexpr int MassNamesAddress = 5800;
constexpr int LayerNamesAddress = 5991;
constexpr int LayerAreaSize = 210;
constexpr char EndMark = 1;

/// The name in the slot at `address`, or nothing when the slot starts with a zero or an end
/// mark (never written, or past the last name).
std::optional<QString> nameAt(const QByteArray &memory, int address)
{
    const QByteArray slot = memory.mid(address, NameSlotSize);
    if (slot.isEmpty() || slot.front() == '\0' || slot.front() == EndMark)
        return std::nullopt;
    const qsizetype end = slot.indexOf('\0');
    return Cp1251::toUnicode(end < 0 ? slot : slot.left(end));
}

} // namespace

bool FurnaceController::silencedByTransfer(quint8 type)
{
    if (m_silent)
        return true;
    if (type != Msg::SendLayerRecord && type != Msg::SendLayerNames && type != Msg::SendMassNames)
        return false;
    if (m_faults.silentAfterTransfers >= 0 && m_transferRequests >= m_faults.silentAfterTransfers) {
        m_silent = true;
        return true;
    }
    ++m_transferRequests;
    return false;
}

quint8 FurnaceController::transferAck(bool record)
{
    if (m_faults.transferAck != TransferAccepted)
        return m_faults.transferAck;
    const int seen = record ? ++m_recordsSeen : ++m_chunksSeen;
    const int refused = record ? m_faults.refuseRecord : m_faults.refuseChunk;
    const bool refuse =
        refused > 0 && (seen == refused || (m_faults.refuseAlways && seen > refused));
    return refuse ? 0 : TransferAccepted;
}

QString FurnaceController::memoryDump() const
{
    QString text;
    QTextStream out(&text);
    out << "[mass names]\n";
    for (int q = 0; q < SlotCount; ++q) {
        if (const auto name = nameAt(m_memory, MassNamesAddress + NameSlotSize * q))
            out << q + 1 << " = " << *name << "\n";
    }
    out << "[layer names]\n";
    for (int q = 0; q < SlotCount; ++q) {
        for (int k = 0; k < LayersPerSlot; ++k) {
            const auto name =
                nameAt(m_memory, LayerNamesAddress + LayerAreaSize * q + NameSlotSize * k);
            if (!name)
                break;
            out << q + 1 << "." << k + 1 << " = " << *name << "\n";
        }
    }
    out << "[programs]\n";
    for (auto it = m_records.cbegin(); it != m_records.cend(); ++it)
        out << it.key() << " = " << it.value().toHex(' ').toUpper() << "\n";
    return text;
}
