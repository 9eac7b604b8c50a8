// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/transferblocks.h"

#include "common/textpair.h"
#include "library/cp1251.h"

#include <algorithm>

using namespace ControllerLayout;

namespace
{

constexpr TextPair MassTooLong{"Масса «%1»: название длиннее 18 символов.",
                               "Mass \"%1\": the name is longer than 18 characters."};
constexpr TextPair LayerTooLong{
    "Слой «%1» массы «%2»: название длиннее 18 символов.",
    "Layer \"%1\" of mass \"%2\": the name is longer than 18 characters."};
constexpr TextPair MassNotInCodePage{
    "Масса «%1»: название содержит символ, которого нет в пульте.",
    "Mass \"%1\": the name holds a character the CC cannot store."};
constexpr TextPair LayerNotInCodePage{
    "Слой «%1» массы «%2»: название содержит символ, которого нет в пульте.",
    "Layer \"%1\" of mass \"%2\": the name holds a character the CC cannot store."};
constexpr TextPair TooManyLayers{"Масса «%1»: %2 слоёв, а пульт хранит не более 11.",
                                 "Mass \"%1\": %2 layers, the CC holds at most 11."};

std::optional<TransferProblem::Kind> nameFault(const QString &name)
{
    if (!Cp1251::canEncode(name))
        return TransferProblem::NameNotInCodePage;
    if (name.size() > NameCapacity)
        return TransferProblem::NameTooLong;
    return std::nullopt;
}

} // namespace

int TransferMassCount(const MassLibrary &library, int firstSlot)
{
    if (firstSlot < 1)
        return 0;
    return std::min({library.massCount(), SlotCount, SlotCount - (firstSlot - 1)});
}

QList<TransferProblem> CheckTransfer(const MassLibrary &library, int massCount)
{
    QList<TransferProblem> problems;
    for (int m = 0; m < std::min(massCount, library.massCount()); ++m) {
        const QString massName = library.massName(m);
        if (const auto fault = nameFault(massName))
            problems.append({*fault, m, -1, massName, massName, 0});
        const std::vector<int> rows = library.layerRows(m);
        if (int(rows.size()) > LayersPerSlot)
            problems.append(
                {TransferProblem::TooManyLayers, m, -1, massName, massName, int(rows.size())});
        for (int row : rows) {
            const QString &name = library.storage().Row(row).name;
            if (const auto fault = nameFault(name))
                problems.append({*fault, m, row, name, massName, 0});
        }
    }
    return problems;
}

QString TransferProblemText(const TransferProblem &problem, quint8 language)
{
    if (problem.kind == TransferProblem::TooManyLayers)
        return TooManyLayers.text(language).arg(problem.massName).arg(problem.layers);
    const bool tooLong = problem.kind == TransferProblem::NameTooLong;
    if (problem.row < 0)
        return (tooLong ? MassTooLong : MassNotInCodePage).text(language).arg(problem.name);
    return (tooLong ? LayerTooLong : LayerNotInCodePage)
        .text(language)
        .arg(problem.name, problem.massName);
}

QByteArray NameSlot(const QString &name)
{
    QByteArray slot = Cp1251::fromUnicode(name.left(NameCapacity));
    slot.append(QByteArray(NameSlotSize - slot.size(), '\0'));
    return slot;
}

std::optional<TransferBlocks> BuildTransferBlocks(MassLibrary &library, int firstSlot)
{
    const int n = TransferMassCount(library, firstSlot);
    if (n <= 0 || !CheckTransfer(library, n).isEmpty())
        return std::nullopt;

    TransferBlocks blocks;
    blocks.firstSlot = firstSlot;
    blocks.massCount = n;
    blocks.massNamesAddress = quint16(MassNamesAddress + NameSlotSize * (firstSlot - 1));
    blocks.layerNamesAddress = quint16(LayerNamesAddress + LayerAreaSize * (firstSlot - 1));
    for (int p = 0; p < n; ++p)
        blocks.massNames += NameSlot(library.massName(p));
    if (n == SlotCount)
        blocks.massNames += EndMark;

    // Rows are grouped by mass in mass order, so the layers of masses 0..n-1 are the rows
    // from 0 on; each area is zero-filled behind its end mark, the last one cut after it.
    int row = 0;
    const LStorage &rows = library.storage();
    for (int p = 0; p < n; ++p) {
        QByteArray area;
        for (int k = 0; row < rows.Count() && rows.Row(row).mass == p; ++k, ++row) {
            area += NameSlot(rows.Row(row).name);
            library.record(row)->ProgNumber = quint8((firstSlot - 1 + p) * LayersPerSlot + k + 1);
        }
        area += EndMark;
        if (p < n - 1)
            area.append(QByteArray(LayerAreaSize - area.size(), '\0'));
        blocks.layerNames += area;
    }
    blocks.recordCount = row;
    return blocks;
}
