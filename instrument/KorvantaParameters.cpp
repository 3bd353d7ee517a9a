#include "instrument/Korvanta.h"
#include "instrument/ParameterTable.h"

void Korvanta::initParameters() {
    using ParameterTable::Kind;
    for (int i = 0; i < ParameterTable::kNumParams; ++i) {
        const ParameterTable::Row& r = ParameterTable::row(i);
        switch (r.kind) {
        case Kind::Double:
            GetParam(i)->InitDouble(r.name, r.defaultValue, r.min, r.max, r.step, "", "", r.shape);
            break;
        case Kind::Int:
            GetParam(i)->InitInt(r.name, static_cast<int>(r.defaultValue), static_cast<int>(r.min),
                                 static_cast<int>(r.max), "", "");
            break;
        case Kind::Enum:
            initListParameter(i, r.name, static_cast<int>(r.defaultValue), r.labelCount, r.labels);
            break;
        }
        if (r.display) GetParam(i)->SetDisplayFunc(r.display);
    }
}
