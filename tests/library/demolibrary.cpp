// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/library/demolibrary.h"

namespace
{

/// One layer: its name and the twenty field values in record order, then VacOffByTime.
struct DemoLayer {
    const char *name;
    std::array<quint16, ProgParam::FieldCount> fields;
    quint8 vacOffByTime;
};

struct DemoMass {
    const char *name;
    std::vector<DemoLayer> layers;
};

// Field order: pre-dry °C, min; dry level %, close min, dry °C, min; pre-heat level %, close
// min, pre-heat °C, min; firing °C, rate °C/min, hold s; cooling °C, min; tempering min;
// opening °C, min; vacuum on °C; vacuum off (°C, or s into the hold when by time).
const std::vector<DemoMass> &demoMasses()
{
    static const std::vector<DemoMass> masses = {
        {"Opaque",
         {
             {"Wash opaque",
              {450, 2, 30, 2, 500, 3, 100, 1, 550, 1, 960, 60, 60, 700, 1, 0, 650, 2, 550, 959},
              0},
             {"Opaque",
              {450, 2, 30, 2, 500, 4, 100, 1, 550, 1, 950, 55, 60, 700, 1, 0, 650, 2, 550, 949},
              0},
         }},
        {"Dentine",
         {
             {"Dentine 1",
              {450, 2, 30, 3, 500, 5, 100, 1, 600, 1, 930, 55, 60, 700, 1, 1, 650, 2, 600, 929},
              0},
             {"Dentine 2",
              {450, 2, 30, 3, 500, 5, 100, 1, 600, 1, 920, 50, 60, 700, 1, 1, 650, 2, 600, 919},
              0},
             {"Dentine correction",
              {450, 2, 30, 3, 500, 4, 100, 1, 600, 1, 910, 45, 60, 680, 1, 1, 640, 2, 600, 909},
              0},
         }},
        {"Enamel",
         {
             {"Enamel",
              {450, 2, 30, 3, 500, 5, 100, 1, 600, 1, 920, 50, 45, 700, 1, 0, 650, 2, 600, 30},
              1},
             {"Incisal",
              {450, 2, 30, 3, 500, 5, 100, 1, 600, 1, 915, 50, 50, 700, 1, 0, 650, 2, 600, 40},
              1},
         }},
        {"Glaze",
         {
             {"Glaze",
              {450, 1, 40, 2, 500, 2, 100, 1, 550, 1, 910, 60, 60, 700, 0, 0, 650, 2, 550, 0},
              1},
             {"Stain and glaze",
              {450, 1, 40, 2, 500, 2, 100, 1, 550, 1, 900, 60, 90, 700, 0, 0, 650, 2, 550, 0},
              1},
         }},
        {"Correction",
         {
             {"Add-on",
              {450, 2, 30, 3, 500, 5, 100, 1, 600, 1, 900, 45, 60, 680, 1, 1, 630, 2, 600, 899},
              0},
         }},
        {"Дентин Б2",
         {
             {"Слой 1",
              {450, 2, 30, 3, 500, 5, 100, 1, 600, 1, 935, 55, 60, 700, 1, 1, 650, 2, 600, 934},
              0},
             {"Слой 2",
              {450, 2, 30, 3, 500, 5, 100, 1, 600, 1, 925, 50, 75, 700, 1, 1, 650, 2, 600, 924},
              0},
             {"Коррекция",
              {450, 2, 30, 3, 500, 4, 100, 1, 600, 1, 910, 45, 30, 680, 1, 1, 640, 2, 600, 20},
              1},
         }},
    };
    return masses;
}

} // namespace

MassLibrary DemoLibrary()
{
    MassLibrary library;
    for (const DemoMass &mass : demoMasses()) {
        const int m = library.addMass(QString::fromUtf8(mass.name));
        for (const DemoLayer &layer : mass.layers) {
            ProgParam record;
            for (int k = 0; k < ProgParam::FieldCount; ++k)
                record.setField(k, layer.fields[size_t(k)]);
            record.VacOffByTime = layer.vacOffByTime;
            // As Open numbers them: row position + 1.
            record.ProgNumber = quint8(library.layerTotal() + 1);
            library.insertLayer(m, QString::fromUtf8(layer.name), record);
        }
    }
    return library;
}
